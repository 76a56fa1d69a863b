// The shipped program's resources, read from the built file as Windows reads them: the
// version information and the manifest carry the version given to project().
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

TEST(VersionResourceTest, VersionInformationAndManifestCarryTheProjectVersion) {
    // Windows versions have four parts: project() version 2.1.4 is 2.1.4.0.
    std::string expected = ZRC_PROJECT_VERSION;
    while (std::count(expected.begin(), expected.end(), '.') < 3)
        expected += ".0";
    std::vector<char> info(GetFileVersionInfoSizeA(ZRC_PRODUCT_EXE, nullptr));
    ASSERT_FALSE(info.empty()) << ZRC_PRODUCT_EXE;
    ASSERT_TRUE(GetFileVersionInfoA(ZRC_PRODUCT_EXE, 0, info.size(), info.data()));
    auto query = [&info](const std::string& path) {
        void* value = nullptr;
        UINT length = 0;
        return VerQueryValueA(info.data(), path.c_str(), &value, &length) ? value : nullptr;
    };
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query("\\"));
    ASSERT_NE(nullptr, fixed);
    auto dotted = [](DWORD high, DWORD low) {
        return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
               std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
    };
    EXPECT_EQ(expected, dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS));
    EXPECT_EQ(expected, dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
    auto text = [&query](const char* name) {
        const void* value = query(std::string("\\StringFileInfo\\040904b0\\") + name);
        return std::string(value ? static_cast<const char*>(value) : "(none)");
    };
    EXPECT_EQ(expected, text("FileVersion"));
    EXPECT_EQ(expected, text("ProductVersion"));
    // BinSkim's rule: the publisher is named.
    EXPECT_EQ("Tavo Inc.", text("CompanyName"));
    EXPECT_EQ("Copyright (C) Tavo Inc.", text("LegalCopyright"));

    HMODULE module = LoadLibraryExA(ZRC_PRODUCT_EXE, nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, module) << ZRC_PRODUCT_EXE;
    std::string manifest;
    if (HRSRC found = FindResourceA(module, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST)) {
        manifest.assign(static_cast<const char*>(LockResource(LoadResource(module, found))),
                        SizeofResource(module, found));
    }
    FreeLibrary(module);
    EXPECT_NE(std::string::npos,
              manifest.find("name=\"Zrc.ZrcUpdater\" version=\"" + expected + "\""))
        << manifest;
}
