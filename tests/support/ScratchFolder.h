#pragma once
// A fresh, empty folder for one test, under the temporary folder and named after the
// test and the process. When the object goes, the folder is removed with everything in
// it, files made read-only included. A failure of the running test when it cannot be made.
#include <string>

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // The full path of a file or folder in this folder.
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

// While the object lives, `folder` is the process's current folder: the updater's dialog
// names its image, staging file and run log relative to it. A failure of the running
// test when the folder cannot be entered.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder);
    ~CurrentFolder();
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::string m_previous;
};
