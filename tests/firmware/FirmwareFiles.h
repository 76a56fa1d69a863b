#pragma once
// Test images, the staging bytes expected from them, and a scratch folder that is the
// current folder while a test runs (the updater's file names are relative to it).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

// An image of `size` bytes: a varied word pattern with the four pass-through words of
// the word rule at the start, and `version` (four hex digits) scrambled into the bytes
// 2 and 3 of its last four.
inline std::string MakeImage(std::size_t size, unsigned version = 0x0214) {
    std::string image(size, '\0');
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        image[i] = static_cast<char>(state >> 16);
    }
    const unsigned char special[] = {0x00, 0x00, 0xFF, 0xFF, 0x2D, 0x4C, 0xD2, 0xB3};
    for (std::size_t i = 0; i < sizeof special && i < size; ++i) {
        image[i] = static_cast<char>(special[i]);
    }
    if (size >= 4) {
        image[size - 2] = static_cast<char>((version >> 8) ^ 0x2D);
        image[size - 1] = static_cast<char>((version & 0xFF) ^ 0x4C);
    }
    return image;
}

// The staging file the device expects, straight from the record rule: 0x100000 records
// of low byte, FF, high byte, FF; bytes past the end of the image read as FF.
inline std::string ExpectedStaging(const std::string& image) {
    std::string staging(0x400000, '\xFF');
    for (std::size_t i = 0; i < 0x100000; ++i) {
        const unsigned lo = 2 * i < image.size() ? static_cast<unsigned char>(image[2 * i]) : 0xFF;
        const unsigned hi =
            2 * i + 1 < image.size() ? static_cast<unsigned char>(image[2 * i + 1]) : 0xFF;
        unsigned word = lo | hi << 8;
        if (word != 0x0000 && word != 0xFFFF && word != 0x4C2D && word != 0xB3D2) {
            word ^= 0x4C2D;
        }
        staging[4 * i] = static_cast<char>(word & 0xFF);
        staging[4 * i + 2] = static_cast<char>(word >> 8);
    }
    return staging;
}

class FirmwareFolderTest : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_previous = fs::current_path();
        m_folder = fs::temp_directory_path() /
                   ("zrc_fw_" + std::to_string(GetCurrentProcessId()) + "_" + info->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        fs::current_path(m_folder);
    }
    void TearDown() override {
        fs::current_path(m_previous);
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(m_folder, ignored)) {
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        fs::remove_all(m_folder, ignored);
    }

    static std::string Contents(const char* path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void Put(const char* path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }

    fs::path m_previous;
    fs::path m_folder;
};
