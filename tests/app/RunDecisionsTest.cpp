// The run's decisions as tables: the version shown for a flash read and the version gate.
// The texts are written out here, apart from the product's constants. The verdict, which
// needs a read-back, is the update tests' table of run ends.
#include "app/RunDecisions.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ShownCase {
    const char* name;
    int readResult;
    DWORD flashWord;
    const char* shown;
};

class ShownFlashVersionTest : public testing::TestWithParam<ShownCase> {};

TEST_P(ShownFlashVersionTest, ShowsTheWordsLowHalfOrWhyItHasNone) {
    EXPECT_EQ(GetParam().shown, ShownFlashVersion(GetParam().readResult, GetParam().flashWord));
}

INSTANTIATE_TEST_SUITE_P(Words, ShownFlashVersionTest,
                         testing::Values(ShownCase{"UpperBitsIgnored", 1, 0xABCD0211, "0211"},
                                         ShownCase{"ZeroPaddedUpperCase", 1, 0x00AB, "00AB"},
                                         ShownCase{"Erased", 1, 0x1234FFFF, "****"},
                                         ShownCase{"ReadFailed", 0, 0x0211, "----"}),
                         [](const testing::TestParamInfo<ShownCase>& info) {
                             return std::string(info.param.name);
                         });

struct GateCase {
    const char* name;
    const char* current;
    const char* accepted;
    bool open;
};

class VersionGateTest : public testing::TestWithParam<GateCase> {};

TEST_P(VersionGateTest, OpensForTheAcceptedTheNewOrAnErasedVersion) {
    EXPECT_EQ(GetParam().open, VersionGateOpen(GetParam().current, GetParam().accepted, "0214"));
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionGateTest,
    testing::Values(GateCase{"Accepted", "0211", "0211", true},
                    GateCase{"NewAgain", "0214", "0211", true},
                    GateCase{"Erased", "****", "0211", true},
                    GateCase{"Other", "0213", "0211", false},
                    GateCase{"Unknown", "----", "0211", false},
                    GateCase{"CaseSensitive", "021f", "021F", false},
                    GateCase{"AnyVersion", "0213", "xxxx", true},
                    GateCase{"WildcardIsLowerCaseOnly", "0213", "XXXX", false}),
    [](const testing::TestParamInfo<GateCase>& info) { return std::string(info.param.name); });

} // namespace
