#pragma once
// The programs that the build puts beside the test executables, started as processes of
// their own through uidriver's ChildProcess, in the current folder and with this
// process's environment.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ChildProcess.h"

// The full path of a program that lies beside the running test executable.
std::string BinProgram(const std::string& name);
// Starts it; false when it could not be started.
bool StartBeside(uidriver::ChildProcess& child, const std::string& name,
                 const std::string& arguments = std::string());
// Runs it to its end: its exit code, or -1 when it could not be started or did not end
// within 30 s (it is ended then).
int RunBeside(const std::string& name, const std::string& arguments = std::string());

// The programs one test started beside it, each in `folder` (the current folder when
// empty); those still running are ended when the object goes.
class StartedPrograms {
public:
    explicit StartedPrograms(std::string folder = std::string()) : m_folder(std::move(folder)) {}
    ~StartedPrograms();
    StartedPrograms(const StartedPrograms&) = delete;
    StartedPrograms& operator=(const StartedPrograms&) = delete;

    // Starts one; a failure of the running test when it could not be started.
    uidriver::ChildProcess& Start(const std::string& name,
                                  const std::string& arguments = std::string());
    uidriver::ChildProcess& Last() { return *m_started.back(); }
    // The one with this process id, or null.
    uidriver::ChildProcess* Find(DWORD processId);

private:
    std::string m_folder;
    std::vector<std::unique_ptr<uidriver::ChildProcess>> m_started;
};
