#pragma once
// The programs that the build puts beside the test executables, started as processes of
// their own with this process's environment.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tools/uidriver/ChildProcess.h"

// The full path of a program that lies beside the running test executable.
std::string BinProgram(const std::string& name);
// Runs it in the current folder to its end: its exit code, or -1 when it could not be
// started or did not end within 30 s (it is ended then). A crash is a failure of the
// running test that names it.
int RunBeside(const std::string& name, const std::string& arguments = std::string());

// The programs one test started, each in `folder` (the current folder when empty); those
// still running are ended when the object goes, and each that crashed is a failure of the
// running test that names it.
class StartedPrograms {
public:
    explicit StartedPrograms(std::string folder = std::string()) : m_folder(std::move(folder)) {}
    ~StartedPrograms();
    StartedPrograms(const StartedPrograms&) = delete;
    StartedPrograms& operator=(const StartedPrograms&) = delete;

    // Starts one; a failure of the running test when it could not be started.
    uidriver::ChildProcess& Start(const std::string& name,
                                  const std::string& arguments = std::string());

private:
    std::string m_folder;
    std::vector<std::pair<std::string, std::unique_ptr<uidriver::ChildProcess>>> m_started;
};
