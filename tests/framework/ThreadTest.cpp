// AfxBeginThread: the function runs at once with its parameter on another thread, its
// result is the thread's exit code, and the thread object is gone when the thread has
// ended. The framework's entry point, run in a program of its own.
#include <gtest/gtest.h>

#include "framework/platform/Thread.h"
#include "tests/support/Programs.h"
#include "tests/support/Timeouts.h"

namespace {

struct Work {
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr); // lets the worker end
    DWORD workerThread = 0;
};

UINT DoWork(LPVOID param) {
    auto* work = static_cast<Work*>(param);
    work->workerThread = GetCurrentThreadId();
    WaitForSingleObject(work->release, kWaitMs);
    return 0x1234;
}

TEST(ThreadTest, RunsTheFunctionAtOnceAndEndsWithItsResult) {
    Work work;
    CWinThread* thread = AfxBeginThread(DoWork, &work);
    ASSERT_NE(nullptr, thread);
    const HANDLE objectHandle = thread->m_hThread;
    HANDLE ours = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), objectHandle, GetCurrentProcess(), &ours, 0,
                                FALSE, DUPLICATE_SAME_ACCESS));
    const DWORD threadId = thread->m_nThreadID;
    SetEvent(work.release);

    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ours, kWaitMs));
    DWORD exitCode = 0;
    EXPECT_TRUE(GetExitCodeThread(ours, &exitCode));
    EXPECT_EQ(0x1234u, exitCode);
    EXPECT_EQ(threadId, work.workerThread);
    EXPECT_NE(GetCurrentThreadId(), work.workerThread);
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(objectHandle, &flags)) << "closed with the object";
    CloseHandle(ours);
    CloseHandle(work.release);
}

TEST(AppMainTest, RunsInitInstanceThenEndsWithExitInstancesResult) {
    EXPECT_EQ(42, RunBeside("framework_app_probe.exe"));
}

} // namespace
