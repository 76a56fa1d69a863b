#pragma once
// The programs that the build puts beside the test executables, started as processes of
// their own through uidriver's ChildProcess, in the current folder and with this
// process's environment.
#include <string>

#include "ChildProcess.h"

// The full path of a program that lies beside the running test executable.
std::string BinProgram(const std::string& name);
// Starts it; false when it could not be started.
bool StartBeside(uidriver::ChildProcess& child, const std::string& name,
                 const std::string& arguments = std::string());
// Runs it to its end: its exit code, or -1 when it could not be started or did not end
// within 30 s (it is ended then).
int RunBeside(const std::string& name, const std::string& arguments = std::string());
