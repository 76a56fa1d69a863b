// A program started in a working folder of its own, optionally on a named desktop.
// The process is not ended when the object goes: Terminate does that explicitly.
#pragma once

#include <windows.h>

#include <string>

namespace uidriver {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts program (a path) with arguments in folder. desktop names the desktop the
    // program's windows belong to; empty means the caller's own. Its environment is the
    // caller's. False when the program could not be started.
    bool Start(const std::string& folder, const std::string& program,
               const std::string& arguments = std::string(),
               const std::string& desktop = std::string());

    DWORD Id() const { return m_id; }
    bool IsRunning() const;
    // Waits for the end of the process; false after the timeout. exitCode may be null.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr) const;
    // Ends the process if it still runs and waits for it to go.
    void Terminate();

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};

} // namespace uidriver
