// The dialog thread's one-shot convention: a held link is used and kept, otherwise a
// link lives for the one command.
#include "DeviceTest.h"

#include "DeviceCommands.h"
#include "OneShotCommand.h"

namespace {

constexpr DWORD kUntouchedMicrocode = 0xDEAD;

// A held link that only counts what is done to it.
class CountingLink : public CDeviceLink {
public:
    explicit CountingLink(int* deleted) : m_deleted(deleted) {}
    ~CountingLink() override { ++*m_deleted; }
    int Open(int, int) override { return ++m_opens; }
    int Command(int nCode, void*) override { return nCode == CMD_CHECK_READY ? 7 : 0; }
    int ShowPropertyPages(int, void*) override { return 0; }
    void Close() override {}
    int m_opens = 0;

private:
    int* m_deleted;
};

class OneShotCommandTest : public DeviceTest {};

TEST_F(OneShotCommandTest, AHeldLinkIsUsedAndKept) {
    int deleted = 0;
    auto* held = new CountingLink(&deleted);
    CDeviceLink* link = held;

    EXPECT_EQ(7, OneShotCommand(link, CONFIG_SOURCE_SPLITTER, CMD_CHECK_READY, nullptr));

    EXPECT_EQ(held, link);
    EXPECT_EQ(0, held->m_opens);
    EXPECT_EQ(0, deleted);
    delete held;
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
    DWORD microcode = kUntouchedMicrocode;

    EXPECT_EQ(0, OneShotCommand(link, 8, CMD_GET_MICROCODE_VERSION, &microcode));

    EXPECT_EQ(nullptr, link);
    EXPECT_EQ(kUntouchedMicrocode, microcode);
    EXPECT_EQ(0, Record(FakeRole::Source).created);
}

} // namespace
