// The dialog thread's one-shot convention: a held link is used and kept, otherwise a
// link lives for the one command.
#include "DeviceTest.h"

#include "DeviceCommands.h"
#include "OneShotCommand.h"

namespace {

class OneShotCommandTest : public DeviceTest {};

TEST_F(OneShotCommandTest, AHeldLinkIsUsedAndKept) {
    // Held without a Source filter, so a link of the caller's configuration would answer.
    ASSERT_EQ(1, m_link->Open(CONFIG_SINK, 0));
    CDeviceLink* link = m_link.get();

    EXPECT_EQ(0, OneShotCommand(link, CONFIG_SOURCE_SPLITTER, CMD_CHECK_READY, nullptr));

    EXPECT_EQ(m_link.get(), link);
    EXPECT_EQ(CONFIG_SINK, m_link->m_nConfig);
    EXPECT_EQ(0, Record(FakeRole::Source).created);
}

TEST_F(OneShotCommandTest, WithoutAHeldLinkOneLinkLivesForTheCommand) {
    Script(FakeRole::Source).flashWord = 0x0214;
    CDeviceLink* link = nullptr;
    DWORD word = 0;

    EXPECT_EQ(1, OneShotCommand(link, CONFIG_SOURCE_SPLITTER, CMD_READ_FLASH_VERSION, &word));

    EXPECT_EQ(nullptr, link);
    EXPECT_EQ(0x0214u, word);
    EXPECT_EQ(1, Record(FakeRole::Source).created);
    EXPECT_EQ(0, m_fakes->LiveFilters());
}

TEST_F(OneShotCommandTest, TheCallersConfigurationIsUsedEvenIfItDoesNotOpen) {
    CDeviceLink* link = nullptr;
    DWORD microcode = 0xDEAD;

    EXPECT_EQ(0, OneShotCommand(link, 8, CMD_GET_MICROCODE_VERSION, &microcode));

    EXPECT_EQ(nullptr, link);
    EXPECT_EQ(0xDEADu, microcode);
    EXPECT_EQ(0, Record(FakeRole::Source).created);
}

} // namespace
