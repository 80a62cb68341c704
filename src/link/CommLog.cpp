// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CommLog.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <system_error>

#include "common/Cp932.h"

namespace kotar {

LogTime LocalLogTime(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto since_epoch = when.time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch) -
                    std::chrono::duration_cast<std::chrono::seconds>(since_epoch);
    return LogTime{local.tm_year + 1900,
                   local.tm_mon + 1,
                   local.tm_mday,
                   local.tm_hour,
                   local.tm_min,
                   local.tm_sec,
                   static_cast<int>(ms.count())};
}

std::string FormatLogLine(const LogTime& t, std::string_view text) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d/%02d/%02d %02d:%02d:%02d.%03d ", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, t.millisecond);
    std::string line = stamp;
    line.append(text);
    return line;
}

void AppendLogLine(const std::filesystem::path& folder, std::string_view text) {
    const std::filesystem::path current = folder / kCurrentLogName;
    const std::filesystem::path previous = folder / kPreviousLogName;
    const std::string line =
        Utf8ToCp932(FormatLogLine(LocalLogTime(std::chrono::system_clock::now()), text)) + "\r\n";

    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(current, ec);
    if (!ec && size > kLogRotateLimitBytes) {
        std::filesystem::remove(previous, ec);
        std::filesystem::rename(current, previous, ec);
    }
    // Opened, written and closed per line so the record survives a crash of the program.
    std::ofstream file(current, std::ios::binary | std::ios::app);
    file.write(line.data(), static_cast<std::streamsize>(line.size()));
}

std::filesystem::path ChooseCommLogFolder(
    const std::filesystem::path& executable_folder,
    const std::function<bool(const std::filesystem::path&)>& takes_new_files) {
    if (!executable_folder.empty() && takes_new_files(executable_folder))
        return executable_folder;
    const std::filesystem::path state = UserStateFolder();
    std::error_code ec;
    std::filesystem::create_directories(state, ec);
    return state;
}

std::filesystem::path DefaultCommLogFolder() {
    // The program's folder does not move while it runs: decided once per process.
    static const std::filesystem::path folder =
        ChooseCommLogFolder(ExecutableFolder(), FolderTakesNewFiles);
    return folder;
}

}  // namespace kotar
