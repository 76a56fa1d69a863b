#pragma once
// Where the simulated device keeps its state: the folder named by the environment
// variable ZRCSIM_STATE if it is set, else %LOCALAPPDATA%\ZrcSim. The variable is read
// on every call, so a process can switch devices between operations.
#include <string>

// The state folder, created if it does not exist yet; empty if it cannot be made.
std::wstring SimStateFolder();
