// AfxBeginThread: the function runs with its parameter on another thread, its result is
// the thread's exit code, and the thread object is gone when the thread has ended.
#include <gtest/gtest.h>

#include "Thread.h"

namespace {

struct Work {
    DWORD callerThread = 0;
    DWORD workerThread = 0;
    UINT result = 0;
};

UINT DoWork(LPVOID param) {
    auto* work = static_cast<Work*>(param);
    work->workerThread = GetCurrentThreadId();
    return work->result;
}

TEST(ThreadTest, RunsTheFunctionAndEndsWithItsResult) {
    Work work;
    work.callerThread = GetCurrentThreadId();
    work.result = 0x1234;

    CWinThread* thread = AfxBeginThread(DoWork, &work, 0, 0, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(nullptr, thread);
    HANDLE objectHandle = thread->m_hThread;
    HANDLE ours = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), objectHandle, GetCurrentProcess(), &ours, 0,
                                FALSE, DUPLICATE_SAME_ACCESS));
    DWORD threadId = thread->m_nThreadID;
    thread->ResumeThread();

    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ours, 10000));
    DWORD exitCode = 0;
    EXPECT_TRUE(GetExitCodeThread(ours, &exitCode));
    EXPECT_EQ(0x1234u, exitCode);
    EXPECT_EQ(threadId, work.workerThread);
    EXPECT_NE(work.callerThread, work.workerThread);
    // The object closed its handle when it deleted itself.
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(objectHandle, &flags));
    CloseHandle(ours);
}

UINT SignalEvent(LPVOID event) {
    return SetEvent(static_cast<HANDLE>(event)) ? 7 : 0;
}

TEST(ThreadTest, StartsAtOnceWithoutFlags) {
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_NE(nullptr, AfxBeginThread(SignalEvent, done));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(done, 10000));
    CloseHandle(done);
}

} // namespace
