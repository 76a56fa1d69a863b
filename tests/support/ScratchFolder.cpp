#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

void RemoveTree(const fs::path& folder) {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ignored))
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(folder, ignored);
}

} // namespace

ScratchFolder::ScratchFolder() {
    static int counter = 0;
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "zrc";
    std::replace(name.begin(), name.end(), '/', '.'); // parameterised tests' names
    name += "." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(++counter);
    const fs::path folder = fs::temp_directory_path() / ("zrc." + name);
    RemoveTree(folder);
    std::error_code error;
    fs::create_directories(folder, error);
    EXPECT_FALSE(error) << folder << ": " << error.message();
    m_path = folder.string();
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(m_path);
}

CurrentFolder::CurrentFolder(const std::string& folder) : m_previous(fs::current_path().string()) {
    EXPECT_TRUE(SetCurrentDirectoryA(folder.c_str())) << folder;
}

CurrentFolder::~CurrentFolder() {
    SetCurrentDirectoryA(m_previous.c_str());
}
