// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "common/ProfileFile.h"

namespace kotar::fuzz {
namespace {

// Names that cp932 and UTF-8 write alike, so that a name read back finds itself.
bool IsPlainName(const std::string& name) {
    return std::all_of(name.begin(), name.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

}  // namespace

// The input is the whole file. The sections the program uses and the keys they hold are read
// in both ways the functions read them (a scan of the file, its lines); a key is written and
// read back.
void ProfileFileTarget(Input input) {
    const auto path = WriteInput("MEVAN.INI", input);
    ProfileFile ini(path);
    for (const char* section : {"CONFIG", "PORTS", "VOICE1", "voice2"}) {
        const std::vector<std::string> keys = ini.GetKeys(section);
        for (const std::string& key : keys) {
            ini.GetInt(section, key, -1);
            if (IsPlainName(key))
                Require(ini.GetValue(section, key).has_value(), "every listed key has a value");
        }
    }
    const std::string value = "value " + std::to_string(input.size());
    if (!ini.WriteString("CONFIG", "PATH", value))
        return;
    Require(ini.GetString("CONFIG", "PATH", "") == value, "a written value reads back");
    const std::vector<std::string> keys = ini.GetKeys("CONFIG");
    // Names match without regard to case: an existing "path" line takes the value.
    Require(std::any_of(keys.begin(), keys.end(),
                        [](const std::string& key) {
                            return key.size() == 4 && (key[0] | 0x20) == 'p' &&
                                   (key[1] | 0x20) == 'a' && (key[2] | 0x20) == 't' &&
                                   (key[3] | 0x20) == 'h';
                        }),
            "a written key is listed");
}

}  // namespace kotar::fuzz
