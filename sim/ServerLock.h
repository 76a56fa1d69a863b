#pragma once
// Counts what keeps the simulator's DLL in use: live filters, class objects and
// LockServer calls. The DLL may be unloaded only when the count is zero.
#include <windows.h>

LONG* ServerLockCount();

class ServerLock {
public:
    ServerLock() { InterlockedIncrement(ServerLockCount()); }
    ~ServerLock() { InterlockedDecrement(ServerLockCount()); }
    ServerLock(const ServerLock&) = delete;
    ServerLock& operator=(const ServerLock&) = delete;
};
