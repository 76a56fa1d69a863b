#include "framework/platform/Thread.h"

#include <process.h>

#include <new>

CWinThread::~CWinThread() {
    if (m_hThread)
        CloseHandle(m_hThread);
}

unsigned __stdcall CWinThread::ThreadEntry(void* self) {
    auto* thread = static_cast<CWinThread*>(self);
    UINT result = thread->m_pfnThreadProc(thread->m_pThreadParams);
    delete thread;
    return result;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize,
                           DWORD flags, LPSECURITY_ATTRIBUTES security) {
    if (!proc || flags != 0)
        return nullptr;
    auto* thread = new (std::nothrow) CWinThread(proc, param);
    if (!thread)
        return nullptr;
    // Created suspended, so that the object is complete before the thread can end and
    // delete it.
    unsigned id = 0;
    uintptr_t handle = _beginthreadex(security, stackSize, &CWinThread::ThreadEntry, thread,
                                      CREATE_SUSPENDED, &id);
    if (!handle) {
        delete thread;
        return nullptr;
    }
    thread->m_hThread = reinterpret_cast<HANDLE>(handle);
    thread->m_nThreadID = id;
    if (priority != THREAD_PRIORITY_NORMAL)
        SetThreadPriority(thread->m_hThread, priority);
    ::ResumeThread(thread->m_hThread);
    return thread;
}
