#include "sim/SimFlash.h"

#include <utility>

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    ~FileHandle() {
        if (IsOpen())
            CloseHandle(m_handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

HANDLE OpenFlashFile(const std::wstring& path, DWORD access, DWORD disposition) {
    // Another process may hold the flash open (the tool, a second updater): share it.
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteAt(HANDLE file, DWORD offset, const BYTE* bytes, DWORD count) {
    OVERLAPPED at = {};
    at.Offset = offset;
    DWORD written = 0;
    return WriteFile(file, bytes, count, &written, &at) && written == count;
}

} // namespace

SimFlash::SimFlash(std::wstring folder) : m_folder(std::move(folder)) {}

std::wstring SimFlash::FilePath() const {
    return m_folder + L"\\flash.bin";
}

bool SimFlash::EnsureExists() {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (GetFileAttributesExW(FilePath().c_str(), GetFileExInfoStandard, &data) &&
        data.nFileSizeHigh == 0 && data.nFileSizeLow == kSize)
        return true;
    return ResetToFactory();
}

bool SimFlash::ResetToFactory() {
    return WriteWhole(FactoryContent());
}

bool SimFlash::Erase() {
    return WriteWhole(std::vector<BYTE>(kSize, 0xFF));
}

bool SimFlash::WriteWhole(const std::vector<BYTE>& content) {
    FileHandle file(OpenFlashFile(FilePath(), GENERIC_WRITE, CREATE_ALWAYS));
    return file.IsOpen() && WriteAt(file.Get(), 0, content.data(), kSize);
}

bool SimFlash::Write(DWORD offset, const BYTE* bytes, DWORD count) {
    if (offset > kSize || count > kSize - offset)
        return false;
    FileHandle file(OpenFlashFile(FilePath(), GENERIC_WRITE, OPEN_EXISTING));
    return file.IsOpen() && WriteAt(file.Get(), offset, bytes, count);
}

bool SimFlash::ReadBigEndian(DWORD address, DWORD* value) const {
    if (address > kSize - 4)
        return false;
    FileHandle file(OpenFlashFile(FilePath(), GENERIC_READ, OPEN_EXISTING));
    if (!file.IsOpen())
        return false;
    BYTE bytes[4] = {};
    OVERLAPPED at = {};
    at.Offset = address;
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes, sizeof(bytes), &read, &at) || read != sizeof(bytes))
        return false;
    *value = static_cast<DWORD>(bytes[0]) << 24 | static_cast<DWORD>(bytes[1]) << 16 |
             static_cast<DWORD>(bytes[2]) << 8 | bytes[3];
    return true;
}

bool SimFlash::SetVersion(WORD version) {
    const BYTE bytes[2] = {static_cast<BYTE>(version >> 8), static_cast<BYTE>(version & 0xFF)};
    return Write(kVersionAddress + 2, bytes, sizeof(bytes));
}

std::vector<BYTE> SimFlash::FactoryContent() {
    // Three quarters code, then erased padding, like a real image that does not fill
    // its flash; the last word is the version.
    std::vector<BYTE> content(kSize, 0xFF);
    DWORD state = 0x0211;
    for (DWORD offset = 0; offset < kSize / 4 * 3; ++offset) {
        state = state * 1103515245u + 12345u;
        content[offset] = static_cast<BYTE>(state >> 16);
    }
    content[kVersionAddress + 2] = static_cast<BYTE>(kFactoryVersion >> 8);
    content[kVersionAddress + 3] = static_cast<BYTE>(kFactoryVersion & 0xFF);
    return content;
}
