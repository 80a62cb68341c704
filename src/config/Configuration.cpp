// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/Configuration.h"

#include <optional>
#include <string>

#include "common/Cp932.h"
#include "common/Messages.h"
#include "common/ProcessFolders.h"
#include "common/Utf8Path.h"

namespace kotar {
namespace {

constexpr const char* kConfig = "CONFIG";
constexpr int kCaptionMessages[kSlotCount] = {kMsgSlot1Caption, kMsgSlot2Caption, kMsgSlot3Caption};
constexpr int kCommentMessages[kSlotCount] = {kMsgSlot1Comment, kMsgSlot2Comment, kMsgSlot3Comment};

// Empty gives the default; a longer text is cut to max_bytes cp932 bytes at a character
// boundary.
std::string CorrectSlotText(const std::string& value, int default_message, std::size_t max_bytes) {
    std::string text = value.empty() ? std::string(MessageText(default_message)) : value;
    return TruncateToCp932Bytes(text, max_bytes);
}

// A loaded value goes back to the file only when the file did not hold it (missing or
// corrected), and never over a value that another copy stored after it was read.
void WriteBack(ProfileFile& ini, const std::string& section, const std::string& key,
               const std::optional<std::string>& read, const std::string& value) {
    if (read != value)
        ini.WriteStringIfUnchanged(section, key, read, value);
}

// GetInt's reading of a value read before: missing or empty gives the default.
std::int32_t IntOf(const std::optional<std::string>& read, std::int32_t default_value) {
    return read && !read->empty() ? static_cast<std::int32_t>(ProfileFile::ParseInt(*read))
                                  : default_value;
}

// LoadDiskPercent for the value read.
std::uint32_t CorrectDiskPercent(ProfileFile& ini, const std::optional<std::string>& read) {
    auto percent = static_cast<std::uint32_t>(IntOf(read, kDefaultDiskPercent));
    if (percent > 100)
        percent = kDefaultDiskPercent;
    WriteBack(ini, kConfig, "DISK", read, std::to_string(percent));
    return percent;
}

}  // namespace

std::filesystem::path ConfigurationFilePath(const std::filesystem::path& start_directory) {
    return SettingsFolder(start_directory) / "MEVAN.INI";
}

std::uint32_t LoadDiskPercent(ProfileFile& ini) {
    return CorrectDiskPercent(ini, ini.GetValue(kConfig, "DISK"));
}

int ReadPortNumber(const ProfileFile& ini) {
    return static_cast<std::int32_t>(ini.GetInt(kConfig, "PORT", kDefaultPort));
}

std::optional<std::string> ReadWorkFolderSetting(const ProfileFile& ini) {
    return ini.GetValue(kConfig, "PATH");
}

Configuration LoadConfiguration(ProfileFile& ini, Prompter& prompter,
                                const std::filesystem::path& default_work_folder) {
    Configuration config;
    // Every key from one read of the file; the corrections go back one by one, each only where
    // the key still reads as it did.
    const ProfileFile::Snapshot file = ini.Read();

    const std::optional<std::string> path_read = file.GetValue(kConfig, "PATH");
    config.work_folder = path_read.value_or(PathToUtf8(default_work_folder));
    if (!CanEnterFolder(PathFromUtf8(config.work_folder))) {
        prompter.ShowMessage(kMsgWorkFolderMissing, MessageIcon::Exclamation);
        std::error_code ec;
        std::filesystem::create_directory(default_work_folder.parent_path(), ec);
        std::filesystem::create_directory(default_work_folder, ec);
        config.work_folder = PathToUtf8(default_work_folder);
    }
    WriteBack(ini, kConfig, "PATH", path_read, config.work_folder);

    // Only a text of digits alone is taken as a number; anything else, or more than 5, is 3.
    const std::optional<std::string> delay_read = file.GetValue(kConfig, "RECDELAY");
    std::string delay_text = delay_read.value_or("3");
    bool digits_only = delay_text.find_first_not_of("0123456789") == std::string::npos;
    config.record_delay_s = kDefaultRecordDelaySeconds;
    if (digits_only) {
        const std::int32_t value = IntOf(delay_read, kDefaultRecordDelaySeconds);
        // A run of digits too long for 32 bits wraps to a negative number: also "above 5".
        config.record_delay_s = (value > 5 || value < 0) ? kDefaultRecordDelaySeconds : value;
    }
    WriteBack(ini, kConfig, "RECDELAY", delay_read, std::to_string(config.record_delay_s));

    const std::optional<std::string> port_read = file.GetValue(kConfig, "PORT");
    WriteBack(ini, kConfig, "PORT", port_read, std::to_string(IntOf(port_read, kDefaultPort)));
    CorrectDiskPercent(ini, file.GetValue(kConfig, "DISK"));

    for (int slot = 0; slot < kSlotCount; ++slot) {
        std::string section = "VOICE" + std::to_string(slot + 1);
        const std::optional<std::string> name_read = file.GetValue(section, "name");
        config.slot_captions[slot] =
            CorrectSlotText(name_read.value_or(""), kCaptionMessages[slot], kSlotCaptionMaxBytes);
        WriteBack(ini, section, "name", name_read, config.slot_captions[slot]);
        const std::optional<std::string> comment_read = file.GetValue(section, "comment");
        config.slot_comments[slot] = CorrectSlotText(comment_read.value_or(""),
                                                     kCommentMessages[slot], kSlotCommentMaxBytes);
        WriteBack(ini, section, "comment", comment_read, config.slot_comments[slot]);
    }
    config.slot_max_seconds = kSlotMaxSeconds;
    return config;
}

void MyCommandLineInfo::ParseParam(const std::string& param, bool /*is_flag*/, bool /*is_last*/) {
    last_argument_ = param;
}

void ParseCommandLine(const std::vector<std::string>& arguments, MyCommandLineInfo& info) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        bool is_flag = !arg.empty() && (arg[0] == '-' || arg[0] == '/');
        info.ParseParam(is_flag ? arg.substr(1) : arg, is_flag, i + 1 == arguments.size());
    }
}

bool IsMaintenanceMode(const std::vector<std::string>& arguments) {
    MyCommandLineInfo info;
    ParseCommandLine(arguments, info);
    return info.last_argument() == "maintenance";
}

}  // namespace kotar
