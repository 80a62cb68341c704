// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/ProcessFolders.h"
#include "common/ProfileFile.h"
#include "common/Prompter.h"

namespace kotar {

inline constexpr int kSlotCount = 3;
// Longest phrase of each slot, in seconds: one phrase area for A and B, the whole image for A+B.
inline constexpr std::array<double, kSlotCount> kSlotMaxSeconds{8.192, 8.192, 16.384};
inline constexpr std::size_t kSlotCaptionMaxBytes = 32;
inline constexpr std::size_t kSlotCommentMaxBytes = 20;
inline constexpr int kDefaultRecordDelaySeconds = 3;
inline constexpr int kDefaultPort = 1;
inline constexpr std::uint32_t kDefaultDiskPercent = 5;

// What the main window keeps of MEVAN.INI after a load.
struct Configuration {
    std::string work_folder;                            // without a trailing separator
    int record_delay_s = kDefaultRecordDelaySeconds;    // 0 to 5
    std::array<std::string, kSlotCount> slot_captions;  // group box captions
    std::array<std::string, kSlotCount> slot_comments;  // default attribute texts
    std::array<double, kSlotCount> slot_max_seconds = kSlotMaxSeconds;
};

// "MEVAN.INI" in the start directory (on Windows in the user's state folder when the start
// directory is a program folder or takes no new files: SettingsFolder).
std::filesystem::path ConfigurationFilePath(const std::filesystem::path& start_directory);

// Reads and corrects every key of MEVAN.INI; a key that is missing or was corrected is written,
// in the order of a freshly written file, unless another copy stored it meanwhile. A work folder
// that cannot be entered is replaced by default_work_folder after message 148; the default
// folder and its parent are then created.
Configuration LoadConfiguration(ProfileFile& ini, Prompter& prompter,
                                const std::filesystem::path& default_work_folder);

// CONFIG/DISK with its correction (above 100 as an unsigned number gives 5), written back when
// missing or corrected.
std::uint32_t LoadDiskPercent(ProfileFile& ini);

// CONFIG/PORT, default 1 (not corrected).
int ReadPortNumber(const ProfileFile& ini);

// CONFIG/PATH as written, nothing when missing (not corrected).
std::optional<std::string> ReadWorkFolderSetting(const ProfileFile& ini);

// Holds the most recent command-line argument handed to it; a flag argument arrives without
// its leading slash or hyphen.
class MyCommandLineInfo {
public:
    void ParseParam(const std::string& param, bool is_flag, bool is_last);
    const std::string& last_argument() const { return last_argument_; }

private:
    std::string last_argument_;
};

// Hands every argument (without the program name) to info, left to right.
void ParseCommandLine(const std::vector<std::string>& arguments, MyCommandLineInfo& info);

// Maintenance mode: the last argument is exactly "maintenance" (case-sensitive), also when
// written with a leading slash or hyphen.
bool IsMaintenanceMode(const std::vector<std::string>& arguments);

}  // namespace kotar
