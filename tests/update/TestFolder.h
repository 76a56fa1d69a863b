#pragma once
// A fresh folder per test that is the process's current folder and the simulated
// device's state folder while the object lives; removed with everything in it after.
#include <windows.h>

#include <string>

class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // The simulated device's state folder, inside this one.
    std::wstring StateFolder() const;

private:
    std::string m_path;
    std::string m_previous;
};

// Size of a file in the current folder, or -1 when it does not exist.
long long FileSize(const char* path);

// Writes a firmware image of `length` bytes: zero words, and the trailer's version
// word scrambled so that the image reads as `version` (for example 0x0214 for "0214").
void WriteFirmwareImage(const char* path, DWORD length, WORD version);
