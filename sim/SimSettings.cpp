#include "sim/SimSettings.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

namespace {

const SimSettingInfo kKnownSettings[] = {
    {"source_version", "ZrcSrc 2.10.0.31", "Source filter version string"},
    {"splitter_version", "QmSplt 1.04.0.07", "Splitter filter version string"},
    {"sink_version", "ZrcSnk 2.10.0.31", "Sink filter version string"},
    {"microcode", "0x0000a31c", "microcode version"},
    {"source_word", "0x00000001", "source status word"},
    {"probe1", "0", "status of readiness probe 1 (1 = not ready)"},
    {"probe2", "0", "status of readiness probe 2 (1 = not ready)"},
    {"probe3", "0", "status of readiness probe 3 (1 = not ready)"},
    {"flag_status", "0", "status of the flag query (1 = failure)"},
    {"byte_status", "0", "status of setting the byte (1 = failure)"},
    {"flash_ms", "30000", "duration of a flash, ms"},
    {"slow_flash_ms", "210000", "duration of a flash under fault_slow_flash, ms"},
    {"read_ms", "3000", "duration of a flash read, ms"},
    {"release_ms", "0", "time the Source filter takes to let go of the device, ms"},
    {"power_loss_percent", "50", "share of the flash programmed before the power is lost"},
    {"fault_flash_fails", "0", "1: a flash fails at once, flash untouched"},
    {"fault_flash_unchanged", "0", "1: a flash reports success, flash untouched"},
    {"fault_flash_unwritten", "0", "1: a flash reports success, flash only erased"},
    {"fault_slow_flash", "0", "1: a flash takes slow_flash_ms"},
    {"fault_read_fails", "0", "1: a flash read fails"},
    {"fault_no_source", "0", "1: the Source filter cannot be created"},
    {"fault_no_splitter", "0", "1: the Splitter filter cannot be created"},
    {"fault_no_sink", "0", "1: the Sink filter cannot be created"},
    {"fault_power_loss", "0", "1: the next flash loses power part-way (clears itself)"},
    {"last_byte", "", "recorded: the byte last set"},
    {"flash_count", "0", "recorded: flash operations started"},
    {"last_flash_path", "", "recorded: staging path of the last flash"},
    {"last_flash_window", "", "recorded: handle passed to the last flash"},
    {"last_flash_window_valid", "", "recorded: 1 if that handle was a window"},
    {"last_flash_status", "", "recorded: status of the last flash"},
    {"source_overlaps", "0", "recorded: Source filters made while another held the device"},
};

const char* const kRoleNames[] = {"source", "splitter", "sink"};
static_assert(std::size(kRoleNames) == kFilterRoleCount);

const SimSettingInfo* FindKnown(const std::string& key) {
    for (const SimSettingInfo& info : kKnownSettings) {
        if (key == info.key)
            return &info;
    }
    return nullptr;
}

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    std::string::size_type last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

} // namespace

bool ParseSimNumber(const std::string& text, DWORD* value) {
    std::string digits = Trim(text);
    unsigned base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits = digits.substr(2);
    }
    if (digits.empty() || digits.size() > (base == 16 ? 8u : 10u))
        return false;
    unsigned long long result = 0;
    for (char c : digits) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        result = result * base + digit;
    }
    if (result > 0xFFFFFFFFull)
        return false;
    *value = static_cast<DWORD>(result);
    return true;
}

SimSettings::SimSettings(std::wstring folder) : m_folder(std::move(folder)) {}

std::wstring SimSettings::FilePath() const {
    return m_folder + L"\\settings.txt";
}

void SimSettings::Load() {
    m_values.clear();
    std::ifstream file(FilePath().c_str());
    std::string line;
    while (std::getline(file, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        std::string::size_type equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        m_values[Trim(line.substr(0, equals))] = Trim(line.substr(equals + 1));
    }
}

bool SimSettings::Save() const {
    std::wstring path = FilePath();
    std::wstring temporary = path + L".new";
    {
        std::ofstream file(temporary.c_str(), std::ios::trunc);
        file << "# Simulated ZRC-MT40 device; keys not listed here have their defaults.\n";
        for (const auto& entry : m_values)
            file << entry.first << '=' << entry.second << '\n';
        if (!file.flush())
            return false;
    }
    return MoveFileExW(temporary.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

std::string SimSettings::Get(const std::string& key) const {
    const SimSettingInfo* info = FindKnown(key);
    if (!info) {
        std::fprintf(stderr, "zrcsim: the simulator reads an unknown setting: %s\n", key.c_str());
        std::abort();
    }
    auto found = m_values.find(key);
    return found != m_values.end() ? found->second : info->defaultValue;
}

DWORD SimSettings::GetNumber(const std::string& key) const {
    DWORD value = 0;
    return ParseSimNumber(Get(key), &value) ? value : 0;
}

void SimSettings::SetNumber(const std::string& key, DWORD value) {
    Set(key, std::to_string(value));
}

void SimSettings::SetHex(const std::string& key, DWORD value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lx", static_cast<unsigned long>(value));
    Set(key, text);
}

const char* SimRoleName(FilterRole role) {
    return kRoleNames[RoleIndex(role)];
}

std::string SimVersionKey(FilterRole role) {
    return std::string(SimRoleName(role)) + "_version";
}

std::string SimNoFilterKey(FilterRole role) {
    return std::string("fault_no_") + SimRoleName(role);
}

bool SimSettings::IsKnownKey(const std::string& key) {
    return FindKnown(key) != nullptr;
}

const SimSettingInfo* SimSettings::Known(std::size_t* count) {
    *count = sizeof(kKnownSettings) / sizeof(kKnownSettings[0]);
    return kKnownSettings;
}
