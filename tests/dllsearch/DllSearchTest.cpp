// The DLL search that the program sets at its start, tried on dllprobe.dll, an in-process
// COM server like the maker's filters: its helper DLLs lie in a PATH folder and beside
// it, and copies of the PATH helpers are planted beside this test program and in the
// current folder.
#include "DllSearch.h"

#include <gtest/gtest.h>

#include <string>

#include "DllProbe.h"
#include "Programs.h"
#include "ScratchFolder.h"

namespace {

constexpr char kServerKey[] = "CLSID\\{F56B1DD3-D57F-4311-92A6-F3F66C498F5B}";

// The test registers dllprobe.dll by its full path, as the maker's setup registers its
// filters; the registration goes at the end. Wine's COM does not read the per-user classes
// (HKCU\Software\Classes), so it goes into the merged view, kept in the test's prefix.
class DllSearch : public testing::Test {
protected:
    void TearDown() override { RegDeleteTreeA(HKEY_CLASSES_ROOT, kServerKey); }
};

} // namespace

TEST_F(DllSearch, FilterHelpersComeFromPathAndItsFolderNeverFromProgramOrCurrentFolder) {
    const std::string server = BinProgram("dllsearch\\filter\\dllprobe.dll");
    const std::string key = std::string(kServerKey) + "\\InprocServer32";
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, server.c_str(),
                              static_cast<DWORD>(server.size() + 1)));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), "ThreadingModel", REG_SZ, "Both", 5));
    ScratchFolder folder;
    CurrentFolder current(folder.Path());
    ASSERT_TRUE(CopyFileA(BinProgram("zrclate.dll").c_str(), "zrclate.dll", FALSE));
    char path[32767];
    const DWORD length = GetEnvironmentVariableA("PATH", path, sizeof path);
    ASSERT_LT(length, sizeof path);
    // The current folder, an empty entry and a relative one on PATH are not searched.
    const std::string searched =
        ".;;dllsearch\\path;" + BinProgram("dllsearch\\path") + ";" + std::string(path, length);
    ASSERT_TRUE(SetEnvironmentVariableA("PATH", searched.c_str()));

    RestrictDllSearch();

    ASSERT_EQ(S_OK, CoInitialize(nullptr));
    IDllProbe* probe = nullptr;
    const HRESULT created = CoGetClassObject(CLSID_DllProbe, CLSCTX_INPROC_SERVER, nullptr,
                                             IID_IDllProbe, reinterpret_cast<void**>(&probe));
    ASSERT_EQ(S_OK, created) << std::hex << created;
    int marks[3] = {};
    const HRESULT marked = probe->Marks(&marks[0], &marks[1], &marks[2]);
    EXPECT_EQ(S_OK, marked) << std::hex << marked;
    EXPECT_EQ(kPathHelperMark, marks[0]);
    EXPECT_EQ(kBesideMark, marks[1]);
    EXPECT_EQ(kLateMark, marks[2]);
    probe->Release();
    CoUninitialize();
}
