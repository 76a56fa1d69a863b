#include "tools/uidriver/ChildProcess.h"

#include <vector>

namespace uidriver {

ChildProcess::~ChildProcess() {
    if (m_process != nullptr)
        CloseHandle(m_process);
}

bool ChildProcess::Start(const std::string& folder, const std::string& program,
                         const std::string& arguments, const std::string& desktop) {
    if (m_process != nullptr)
        return false;
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');
    std::vector<char> desktopName(desktop.begin(), desktop.end());
    desktopName.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    if (!desktop.empty())
        startup.lpDesktop = desktopName.data();
    PROCESS_INFORMATION info = {};
    // No handles are inherited, so the program never holds the caller's output open.
    if (!CreateProcessA(program.c_str(), writable.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                        nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    m_process = info.hProcess;
    m_id = info.dwProcessId;
    return true;
}

bool ChildProcess::IsRunning() const {
    return m_process != nullptr && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
    if (m_process == nullptr || WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0)
        return false;
    if (exitCode != nullptr)
        GetExitCodeProcess(m_process, exitCode);
    return true;
}

void ChildProcess::Terminate() {
    if (IsRunning()) {
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, 5000);
    }
}

} // namespace uidriver
