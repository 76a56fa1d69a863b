// Worker threads: AfxBeginThread runs a function on a new thread. The function's
// result is the thread's exit code.
#pragma once

#include <windows.h>

typedef UINT (*AFX_THREADPROC)(LPVOID param);

// The running thread. It deletes itself when the thread's function has returned, so
// a caller keeps the pointer only while it knows the thread still runs.
class CWinThread {
public:
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD,
                                      LPSECURITY_ATTRIBUTES);
    CWinThread(AFX_THREADPROC proc, LPVOID param) : m_pfnThreadProc(proc), m_pThreadParams(param) {}
    ~CWinThread();
    static unsigned __stdcall ThreadEntry(void* self);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Starts proc(param) on a new thread at once, with the given priority (0: normal), stack
// size (0: the default) and security attributes. Null when no thread could be created,
// and for creation flags other than 0, which nothing here needs.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = 0, UINT stackSize = 0,
                           DWORD flags = 0, LPSECURITY_ATTRIBUTES security = nullptr);
