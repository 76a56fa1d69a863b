// The dialog thread's one-shot convention: a held link is used and kept, otherwise a
// link lives for the one command.
#include "tests/device/DeviceTest.h"

#include "device/DeviceCommands.h"
#include "device/OneShotCommand.h"

namespace {

using OneShotCommandTest = DeviceTest;

TEST_F(OneShotCommandTest, AHeldLinkIsUsedAndKept) {
    // Held without a Source filter, so a link of the caller's configuration would answer.
    ASSERT_EQ(1, m_link->Open(CONFIG_SINK, 0));
    CDeviceLink* link = m_link.get();

    EXPECT_EQ(0, OneShotCommand(link, CONFIG_SOURCE_SPLITTER, CMD_CHECK_READY, nullptr));

    EXPECT_EQ(m_link.get(), link);
    EXPECT_EQ(CONFIG_SINK, m_link->m_nConfig);
    EXPECT_EQ(0, Record(FilterRole::Source).created);
}

// Without a held link, a link of the caller's configuration lives for the one command;
// a configuration that does not open fails it, and no other is tried.
TEST_F(OneShotCommandTest, WithoutAHeldLinkALinkOfTheCallersConfigurationLivesForTheCommand) {
    Script(FilterRole::Source).flashWord = 0x0214;
    CDeviceLink* link = nullptr;
    DWORD word = 0;

    EXPECT_EQ(1, OneShotCommand(link, CONFIG_SOURCE_SPLITTER, CMD_READ_FLASH_VERSION, &word));
    EXPECT_EQ(0x0214u, word);

    word = 0xDEAD;
    EXPECT_EQ(0, OneShotCommand(link, 8, CMD_READ_FLASH_VERSION, &word));

    EXPECT_EQ(nullptr, link);
    EXPECT_EQ(0xDEADu, word);
    EXPECT_EQ(1, Record(FilterRole::Source).created);
}

} // namespace
