#include "tests/support/Programs.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "tests/support/Timeouts.h"

std::string BinProgram(const std::string& name) {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

namespace {

// A program that crashed ended with the code of the exception that ended it (0xC0000005
// for an access violation): an error status, which no program of ours exits with.
void ExpectNoCrash(const std::string& name, DWORD code) {
    if ((code & 0xC0000000) == 0xC0000000)
        ADD_FAILURE() << name << " crashed: exception 0x" << std::hex << code;
}

} // namespace

int RunBeside(const std::string& name, const std::string& arguments) {
    uidriver::ChildProcess child;
    DWORD code = 0;
    if (!child.Start(std::string(), BinProgram(name), arguments))
        return -1;
    if (!child.WaitForExit(kToolWaitMs, &code)) {
        child.Terminate();
        return -1;
    }
    ExpectNoCrash(name, code);
    return static_cast<int>(code);
}

StartedPrograms::~StartedPrograms() {
    for (auto& [name, program] : m_started) {
        DWORD code = 0;
        if (program->WaitForExit(0, &code))
            ExpectNoCrash(name, code);
        program->Terminate();
    }
}

uidriver::ChildProcess& StartedPrograms::Start(const std::string& name,
                                               const std::string& arguments) {
    m_started.emplace_back(name, std::make_unique<uidriver::ChildProcess>());
    EXPECT_TRUE(m_started.back().second->Start(m_folder, BinProgram(name), arguments)) << name;
    return *m_started.back().second;
}
