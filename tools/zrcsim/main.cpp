// zrcsim: shows and changes the simulated ZRC-MT40 in its state folder (ZRCSIM_STATE,
// else %LOCALAPPDATA%\ZrcSim): settings, faults, flash version, reset.
#include "sim/SimFlash.h"
#include "sim/SimSettings.h"
#include "sim/StateFolder.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kUsage[] =
    "usage: zrcsim <command>\n"
    "  show                  the device's state\n"
    "  set KEY=VALUE ...     change settings (see show for the keys)\n"
    "  fault NAME ...        set faults: none, not-ready-1, not-ready-2, not-ready-3,\n"
    "                        flash-fails, slow-flash, read-fails, no-source, no-splitter,\n"
    "                        no-sink, power-loss, flash-unchanged, flash-unwritten\n"
    "  version XXXX          write the flash's version word (four hex digits)\n"
    "  erase                 erase the whole flash (reads 0xFFFF)\n"
    "  reset                 a new device: default settings, factory firmware 0211\n";

struct Fault {
    const char* name;
    const char* key;
};

const Fault kFaults[] = {
    {"not-ready-1", "probe1"},
    {"not-ready-2", "probe2"},
    {"not-ready-3", "probe3"},
    {"flash-fails", "fault_flash_fails"},
    {"slow-flash", "fault_slow_flash"},
    {"read-fails", "fault_read_fails"},
    {"power-loss", "fault_power_loss"},
    {"flash-unchanged", "fault_flash_unchanged"},
    {"flash-unwritten", "fault_flash_unwritten"},
};

int Fail(const char* message, const char* detail = "") {
    std::fprintf(stderr, "zrcsim: %s%s\n", message, detail);
    return 1;
}

int Show(const std::wstring& folder, const SimSettings& settings, SimFlash& flash) {
    std::printf("state folder: %ls\n", folder.c_str());
    DWORD word = 0;
    if (flash.EnsureExists() && flash.ReadBigEndian(SimFlash::kVersionAddress, &word)) {
        if ((word & 0xFFFF) == 0xFFFF)
            std::printf("flash version: **** (blank, word 0x%08lX)\n",
                        static_cast<unsigned long>(word));
        else
            std::printf("flash version: %04lX (word 0x%08lX)\n",
                        static_cast<unsigned long>(word & 0xFFFF),
                        static_cast<unsigned long>(word));
    } else {
        std::printf("flash version: unreadable\n");
    }
    std::size_t count = 0;
    const SimSettingInfo* known = SimSettings::Known(&count);
    for (std::size_t i = 0; i < count; ++i)
        std::printf("  %-24s = %-20s  %s\n", known[i].key, settings.Get(known[i].key).c_str(),
                    known[i].meaning);
    return 0;
}

int Set(SimSettings& settings, int argc, char** argv) {
    for (int i = 2; i < argc; ++i) {
        const char* equals = std::strchr(argv[i], '=');
        if (!equals)
            return Fail("expected KEY=VALUE: ", argv[i]);
        std::string key(argv[i], static_cast<std::size_t>(equals - argv[i]));
        if (!SimSettings::IsKnownKey(key))
            return Fail("unknown key: ", key.c_str());
        settings.Set(key, equals + 1);
    }
    return settings.Save() ? 0 : Fail("cannot write the settings");
}

// The setting key of the fault named name ("no-" and a role for a filter that cannot be
// made), or an empty text.
std::string FaultKey(const std::string& name) {
    for (const Fault& fault : kFaults) {
        if (name == fault.name)
            return fault.key;
    }
    for (int role = 0; role < kFilterRoleCount; ++role) {
        if (name == std::string("no-") + SimRoleName(FilterRole(role)))
            return SimNoFilterKey(FilterRole(role));
    }
    return std::string();
}

int SetFaults(SimSettings& settings, int argc, char** argv) {
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "none") == 0) {
            for (const Fault& fault : kFaults)
                settings.Set(fault.key, "0");
            for (int role = 0; role < kFilterRoleCount; ++role)
                settings.Set(SimNoFilterKey(FilterRole(role)), "0");
            continue;
        }
        const std::string key = FaultKey(argv[i]);
        if (key.empty())
            return Fail("unknown fault: ", argv[i]);
        settings.Set(key, "1");
    }
    return settings.Save() ? 0 : Fail("cannot write the settings");
}

int SetVersion(SimFlash& flash, const char* text) {
    DWORD version = 0;
    std::string hex = std::string("0x") + text;
    if (std::strlen(text) != 4 || !ParseSimNumber(hex, &version))
        return Fail("version must be four hex digits: ", text);
    if (!flash.EnsureExists() || !flash.SetVersion(static_cast<WORD>(version)))
        return Fail("cannot write the flash");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 1 : 0;
    }
    std::wstring folder = SimStateFolder();
    if (folder.empty())
        return Fail("cannot make the state folder");
    SimSettings settings(folder);
    settings.Load();
    SimFlash flash(folder);

    std::string command = argv[1];
    if (command == "show")
        return Show(folder, settings, flash);
    if (command == "set")
        return Set(settings, argc, argv);
    if (command == "fault")
        return SetFaults(settings, argc, argv);
    if (command == "version" && argc == 3)
        return SetVersion(flash, argv[2]);
    if (command == "erase")
        return flash.Erase() ? 0 : Fail("cannot write the flash");
    if (command == "reset") {
        settings.Clear();
        if (!settings.Save() || !flash.ResetToFactory())
            return Fail("cannot reset the device");
        return 0;
    }
    std::fputs(kUsage, stderr);
    return Fail("unknown command: ", argv[1]);
}
