#include "TestFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

TestFolder::TestFolder() {
    static std::atomic<int> counter{0};
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%szrc_update_%lu_%d", temp, GetCurrentProcessId(), counter++);
    m_path = name;
    RemoveTree(m_path);
    EXPECT_TRUE(CreateDirectoryA(m_path.c_str(), nullptr)) << m_path;

    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    m_previous = previous;
    EXPECT_TRUE(SetCurrentDirectoryA(m_path.c_str()));
    SetEnvironmentVariableW(L"ZRCSIM_STATE", StateFolder().c_str());
}

TestFolder::~TestFolder() {
    SetCurrentDirectoryA(m_previous.c_str());
    SetEnvironmentVariableW(L"ZRCSIM_STATE", nullptr);
    RemoveTree(m_path);
}

std::wstring TestFolder::StateFolder() const {
    std::wstring wide(m_path.begin(), m_path.end());
    return wide + L"\\state";
}

long long FileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void WriteFirmwareImage(const char* path, DWORD length, WORD version) {
    std::vector<BYTE> image(length, 0);
    if (length >= 4) {
        // The version word's bytes are stored XORed with the word mask 0x4C2D, the
        // high version byte first.
        image[length - 2] = static_cast<BYTE>((version >> 8) ^ 0x2D);
        image[length - 1] = static_cast<BYTE>((version & 0xFF) ^ 0x4C);
    }
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, image.data(), length, &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, length);
}
