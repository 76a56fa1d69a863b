// The shipped program's resources, read from the built file as Windows reads them: the
// version information and the manifest carry the version given to project().
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Windows versions have four parts: project() version 2.1.4 is 2.1.4.0.
std::string ExpectedVersion() {
    std::string version = ZRC_PROJECT_VERSION;
    while (std::count(version.begin(), version.end(), '.') < 3) {
        version += ".0";
    }
    return version;
}

std::string Dotted(DWORD high, DWORD low) {
    return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
           std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
}

std::string VersionText(const std::vector<char>& info, const char* name) {
    const std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), path.c_str(), &text, &length) || length == 0) {
        return "(none)";
    }
    return static_cast<const char*>(text);
}

} // namespace

TEST(VersionResourceTest, VersionInformationIsTheProjectVersion) {
    const DWORD size = GetFileVersionInfoSizeA(ZRC_PRODUCT_EXE, nullptr);
    ASSERT_NE(0u, size) << ZRC_PRODUCT_EXE;
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(ZRC_PRODUCT_EXE, 0, size, info.data()));
    void* block = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &block, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(block);

    EXPECT_EQ(ExpectedVersion(), Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS));
    EXPECT_EQ(ExpectedVersion(), Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
    EXPECT_EQ(ExpectedVersion(), VersionText(info, "FileVersion"));
    EXPECT_EQ(ExpectedVersion(), VersionText(info, "ProductVersion"));
}

TEST(VersionResourceTest, ManifestIdentityIsTheProjectVersion) {
    HMODULE module = LoadLibraryExA(ZRC_PRODUCT_EXE, nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, module) << ZRC_PRODUCT_EXE;
    std::string manifest;
    if (HRSRC found = FindResourceA(module, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST)) {
        manifest.assign(static_cast<const char*>(LockResource(LoadResource(module, found))),
                        SizeofResource(module, found));
    }
    FreeLibrary(module);

    const std::string identity = "name=\"Zrc.ZrcUpdater\" version=\"";
    const size_t start = manifest.find(identity);
    ASSERT_NE(std::string::npos, start) << manifest;
    const size_t version = start + identity.size();
    EXPECT_EQ(ExpectedVersion(), manifest.substr(version, manifest.find('"', version) - version));
}
