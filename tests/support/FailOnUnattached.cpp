// Compiled into each test executable that runs the framework's windows: a framework call
// on a window never attached (a control that DoDataExchange did not bind) fails the
// running test, where the shipped program only notes it in its run log.
#include <gtest/gtest.h>

#include "framework/Wnd.h"

namespace {

void FailRunningTest(const char* call) {
    ADD_FAILURE() << call << " on a window never attached";
}

struct FailOnUnattached {
    FailOnUnattached() { AfxSetPreconditionHandler(&FailRunningTest); }
} g_failOnUnattached;

} // namespace
