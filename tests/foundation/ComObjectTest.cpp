// The COM base the simulator's and the fakes' filters are built on destroys an object
// once.
#include <gtest/gtest.h>

#include <windows.h>

#include "sim/ComObject.h"

namespace {

// Its teardown takes and drops a reference to itself, as code called while an object
// is destroyed may do (a graph removing a filter does).
class SelfReferencingTeardown : public ComObject<IUnknown> {
public:
    int m_destroyed = 0;

protected:
    void* FindInterface(REFIID) override { return nullptr; }
    void Destroy() override {
        if (++m_destroyed == 1) {
            AddRef();
            Release();
        }
    }
};

TEST(ComObjectTest, AReleaseDuringTheTeardownDoesNotDestroyAgain) {
    SelfReferencingTeardown object;
    object.Release();
    EXPECT_EQ(1, object.m_destroyed);
}

} // namespace
