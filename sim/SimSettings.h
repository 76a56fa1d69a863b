#pragma once
// The simulated device's settings: its answers, timings, faults and what it recorded
// of the last flash. They live as key=value lines in settings.txt of the state folder;
// a key that is not in the file has its default value.
#include <windows.h>

#include <cstddef>
#include <map>
#include <string>

#include "device/VendorFilters.h"

struct SimSettingInfo {
    const char* key;
    const char* defaultValue;
    const char* meaning;
};

class SimSettings {
public:
    explicit SimSettings(std::wstring folder);

    // Reads settings.txt; a missing file leaves every key at its default.
    void Load();
    // Writes every key that has been set, replacing the file in one step so that a
    // reader in another process never sees half a file.
    bool Save() const;
    // Forgets every set key: all keys read their defaults again.
    void Clear() { m_values.clear(); }

    // The key's value, else its default. The key must be known: an unknown one is a
    // misspelling in the simulator, which stops the process with a message rather than
    // read a default that no setting has.
    std::string Get(const std::string& key) const;
    // A value written in decimal or as 0x-prefixed hexadecimal; 0 when it is neither.
    DWORD GetNumber(const std::string& key) const;
    bool GetFlag(const std::string& key) const { return GetNumber(key) != 0; }
    void Set(const std::string& key, const std::string& value) { m_values[key] = value; }
    void SetNumber(const std::string& key, DWORD value);
    void SetHex(const std::string& key, DWORD value);

    static bool IsKnownKey(const std::string& key);
    // The table of known keys, their defaults and meanings, in display order.
    static const SimSettingInfo* Known(std::size_t* count);

private:
    std::wstring FilePath() const;

    std::wstring m_folder;
    std::map<std::string, std::string> m_values;
};

// The keys of a filter role's settings: its version text, and the fault that keeps its
// filter from being made.
std::string SimVersionKey(FilterRole role);
std::string SimNoFilterKey(FilterRole role);
// How the settings and the tool name a filter role ("source").
const char* SimRoleName(FilterRole role);

// Parses decimal or 0x-prefixed hexadecimal text; false when the text is neither.
bool ParseSimNumber(const std::string& text, DWORD* value);
