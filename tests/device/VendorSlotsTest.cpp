// Each named vendor method must sit at its slot: a call one slot off would run a
// different vendor method on a real device. The objects here lay out their method
// tables by slot number alone, without the declarations, and every named method is
// then called through the declared interfaces.
#include <gtest/gtest.h>

#include <vector>

#include "DeviceTest.h"
#include "VendorFilters.h"

namespace {

using AnySlot = void (*)();

struct SlotCall {
    int slot;
    DWORD arg;
    bool operator==(const SlotCall& o) const { return slot == o.slot && arg == o.arg; }
};

std::vector<SlotCall> g_calls;
char g_text[] = "text";

// Every slot method records its slot and, where it has one, its scalar argument; out
// arguments receive the slot number.
template <int Slot> HRESULT STDMETHODCALLTYPE NoArgs(void*) {
    g_calls.push_back({Slot, 0});
    return Slot;
}
template <int Slot> HRESULT STDMETHODCALLTYPE OutWord(void*, DWORD* out) {
    *out = Slot;
    g_calls.push_back({Slot, 0});
    return Slot;
}
template <int Slot> HRESULT STDMETHODCALLTYPE InByte(void*, BYTE value) {
    g_calls.push_back({Slot, value});
    return Slot;
}
template <int Slot> HRESULT STDMETHODCALLTYPE InPointer(void*, void* pointer) {
    g_calls.push_back({Slot, *static_cast<DWORD*>(pointer)});
    return Slot;
}
template <int Slot> HRESULT STDMETHODCALLTYPE OutText(void*, char** text) {
    *text = g_text;
    g_calls.push_back({Slot, 0});
    return Slot;
}
template <int Slot> HRESULT STDMETHODCALLTYPE InWordOutWord(void*, DWORD address, DWORD* out) {
    *out = Slot;
    g_calls.push_back({Slot, address});
    return Slot;
}

template <typename F> AnySlot At(F* method) {
    return reinterpret_cast<AnySlot>(method);
}

template <typename I, std::size_t N> I ObjectOver(AnySlot (&table)[N]) {
    return I{reinterpret_cast<decltype(I::lpVtbl)>(table)};
}

class VendorSlotsTest : public ::testing::Test {
protected:
    void SetUp() override { g_calls.clear(); }
};

TEST_F(VendorSlotsTest, SourceMethodsSitAtTheirSlots) {
    AnySlot table[95] = {};
    table[34] = At(OutWord<34>);
    table[35] = At(NoArgs<35>);
    table[37] = At(NoArgs<37>);
    table[38] = At(NoArgs<38>);
    table[41] = At(OutWord<41>);
    table[54] = At(NoArgs<54>);
    table[57] = At(InByte<57>);
    table[66] = At(OutText<66>);
    table[90] = At(InPointer<90>);
    table[94] = At(InWordOutWord<94>);
    ISourcePrivate object = ObjectOver<ISourcePrivate>(table);
    const ISourcePrivateVtbl* m = object.lpVtbl;

    DWORD word = 0, microcode = 0, flash = 0, updateArgs = 0xC0FFEE;
    char* text = nullptr;
    EXPECT_EQ(34, m->QuerySourceWord(&object, &word));
    EXPECT_EQ(35, m->ReadyProbe1(&object));
    EXPECT_EQ(37, m->ReadyProbe2(&object));
    EXPECT_EQ(38, m->ReadyProbe3(&object));
    EXPECT_EQ(41, m->GetMicrocodeVersion(&object, &microcode));
    EXPECT_EQ(54, m->QuerySourceFlag(&object));
    EXPECT_EQ(57, m->SetSourceByte(&object, 0x7F));
    EXPECT_EQ(66, m->GetVersionString(&object, &text));
    EXPECT_EQ(90, m->FlashUpdate(&object, &updateArgs));
    EXPECT_EQ(94, m->ReadFlashWord(&object, 0x1FFFFC, &flash));

    const std::vector<SlotCall> expected = {{34, 0},        {35, 0},       {37, 0},    {38, 0},
                                            {41, 0},        {54, 0},       {57, 0x7F}, {66, 0},
                                            {90, 0xC0FFEE}, {94, 0x1FFFFC}};
    EXPECT_EQ(expected, g_calls);
    EXPECT_EQ(34u, word);
    EXPECT_EQ(41u, microcode);
    EXPECT_EQ(94u, flash);
    EXPECT_EQ(g_text, text);
}

TEST_F(VendorSlotsTest, SplitterAndSinkVersionsSitAtTheirSlots) {
    AnySlot splitterTable[26] = {};
    splitterTable[25] = At(OutText<25>);
    AnySlot sinkTable[5] = {};
    sinkTable[4] = At(OutText<4>);
    ISplitterPrivate splitter = ObjectOver<ISplitterPrivate>(splitterTable);
    ISinkPrivate sink = ObjectOver<ISinkPrivate>(sinkTable);

    char* text = nullptr;
    EXPECT_EQ(25, splitter.lpVtbl->GetVersionString(&splitter, &text));
    EXPECT_EQ(g_text, text);
    text = nullptr;
    EXPECT_EQ(4, sink.lpVtbl->GetVersionString(&sink, &text));
    EXPECT_EQ(g_text, text);
}

TEST(VendorIdentifiersTest, MatchTheMakersText) {
    for (int i = 0; i < kFilterRoleCount; ++i) {
        SCOPED_TRACE(i);
        const VendorFilter& filter = kVendorFilters[i];
        wchar_t text[40] = {};
        ASSERT_EQ(39, StringFromGUID2(filter.classId, text, 40));
        EXPECT_STREQ(kMakersText[i].classId, text);
        ASSERT_EQ(39, StringFromGUID2(filter.privateId, text, 40));
        EXPECT_STREQ(kMakersText[i].privateId, text);
        wchar_t name[128] = {};
        ASSERT_NE(0, MultiByteToWideChar(CP_ACP, 0, filter.graphName, -1, name, 128));
        EXPECT_STREQ(kMakersText[i].graphName, name);
    }
}

} // namespace
