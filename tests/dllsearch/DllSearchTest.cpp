// The DLL search that the program sets at its start, tried on dllprobe.dll, an in-process
// COM server like the maker's filters, registered as a driver's setup may register it:
// by its whole path, or by bare name with its DLLs in the system folder. Its first helper
// and the DLL it loads later lie only in a PATH folder; copies of both are planted in the
// current folder.
#include "app/DllSearch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/dllsearch/DllProbe.h"
#include "tests/support/Programs.h"
#include "tests/support/ScratchFolder.h"

namespace {

constexpr char kServerKey[] = "CLSID\\{F56B1DD3-D57F-4311-92A6-F3F66C498F5B}";

struct Registration {
    const char* name;
    bool inSystemFolder; // copied there and registered by bare name
};

// The registration goes at the end, with the copies in the system folder. Wine's COM does
// not read the per-user classes (HKCU\Software\Classes), so it goes into the merged view,
// kept in the test's prefix.
class DllSearch : public testing::TestWithParam<Registration> {
protected:
    void TearDown() override {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kServerKey);
        for (const std::string& copy : m_systemCopies)
            DeleteFileA(copy.c_str());
    }

    // The system folder of this process: a 32-bit program in a 64-bit prefix is sent on to
    // syswow64 by Windows itself.
    std::string SystemCopy(const std::string& name) {
        char folder[MAX_PATH];
        const UINT length = GetSystemDirectoryA(folder, sizeof folder);
        EXPECT_GT(length, 0u);
        m_systemCopies.push_back(std::string(folder, length) + "\\" + name);
        return m_systemCopies.back();
    }

    std::vector<std::string> m_systemCopies;
};

} // namespace

TEST_P(DllSearch, FilterAndItsHelpersLoadAsWindowsFindsThemNeverFromTheCurrentFolder) {
    std::string server = BinProgram("dllsearch\\filter\\dllprobe.dll");
    if (GetParam().inSystemFolder) {
        ASSERT_TRUE(CopyFileA(server.c_str(), SystemCopy("zrcdllprobe.dll").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(BinProgram("dllsearch\\filter\\zrcbeside.dll").c_str(),
                              SystemCopy("zrcbeside.dll").c_str(), FALSE));
        server = "zrcdllprobe.dll";
    }
    const std::string key = std::string(kServerKey) + "\\InprocServer32";
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, server.c_str(),
                              static_cast<DWORD>(server.size() + 1)));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), "ThreadingModel", REG_SZ, "Both", 5));
    ScratchFolder folder;
    CurrentFolder current(folder.Path());
    for (const char* planted : {"zrchelper.dll", "zrclate.dll"})
        ASSERT_TRUE(CopyFileA(BinProgram(std::string("dllsearch\\planted\\") + planted).c_str(),
                              planted, FALSE));
    char path[32767];
    const DWORD length = GetEnvironmentVariableA("PATH", path, sizeof path);
    ASSERT_LT(length, sizeof path);
    const std::string searched = BinProgram("dllsearch\\path") + ";" + std::string(path, length);
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

    // What the run log records is what Windows itself reports of System32's place.
    PROCESS_MITIGATION_IMAGE_LOAD_POLICY policy = {};
    using GetPolicyFn = BOOL(WINAPI*)(HANDLE, PROCESS_MITIGATION_POLICY, PVOID, SIZE_T);
    const auto get = reinterpret_cast<GetPolicyFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetProcessMitigationPolicy")));
    const bool preferred =
        get && get(GetCurrentProcess(), ProcessImageLoadPolicy, &policy, sizeof policy) &&
        policy.PreferSystem32Images;
    EXPECT_THAT(DllSearchReport(), testing::StartsWith("current folder not searched: yes; "));
    if (preferred)
        EXPECT_THAT(DllSearchReport(), testing::EndsWith("System32 first: in effect"));
    else
        EXPECT_THAT(DllSearchReport(),
                    testing::AnyOf(testing::EndsWith("System32 first: not offered"),
                                   testing::EndsWith("System32 first: refused"),
                                   testing::EndsWith("System32 first: accepted, not confirmed"),
                                   testing::EndsWith("System32 first: accepted, reported off")));
}

INSTANTIATE_TEST_SUITE_P(Registrations, DllSearch,
                         testing::Values(Registration{"ByWholePath", false},
                                         Registration{"ByBareNameInSystemFolder", true}),
                         [](const auto& info) { return info.param.name; });
