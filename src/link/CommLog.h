// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "common/ProcessFolders.h"

namespace kotar {

// The communication log: one time-stamped line per link failure, kept in two generations
// ("MEVAN_COM_N.LOG" current, "MEVAN_COM_O.LOG" previous) in one folder. Lines are cp932
// text ending with CR LF. Every failure of the log itself is silent.

inline constexpr const char* kCurrentLogName = "MEVAN_COM_N.LOG";
inline constexpr const char* kPreviousLogName = "MEVAN_COM_O.LOG";
// A current file larger than this is rotated before the next line is written.
inline constexpr std::uintmax_t kLogRotateLimitBytes = 524288;

// Local time of a log line, broken down.
struct LogTime {
    int year, month, day, hour, minute, second, millisecond;
};

LogTime LocalLogTime(std::chrono::system_clock::time_point when);

// "2016/03/09 09:05:07.042 " followed by the text (UTF-8), without the line break.
std::string FormatLogLine(const LogTime& time, std::string_view text);

// Appends one line with the current local time to folder/MEVAN_COM_N.LOG, rotating first.
void AppendLogLine(const std::filesystem::path& folder, std::string_view text);

// Where the log goes when no folder is given: the executable's folder when new files can be
// made there, else the user's state folder (UserStateFolder), made when missing, so that an
// installed program keeps its record too.
std::filesystem::path DefaultCommLogFolder();
// The same choice for a given executable folder and check.
std::filesystem::path ChooseCommLogFolder(
    const std::filesystem::path& executable_folder,
    const std::function<bool(const std::filesystem::path&)>& takes_new_files);

}  // namespace kotar
