#pragma once
// A fresh, empty folder for one test, under the temporary folder and named after the
// test and the process. While the object lives it is the current folder, since the
// updater names its files relative to that; afterwards it is removed with everything in
// it, files made read-only included.
#include <string>

class ScratchFolder {
public:
    // A failure of the running test when the folder cannot be made or entered.
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // The full path of a file or folder in this folder.
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
    std::string m_previous;
};
