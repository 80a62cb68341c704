#include "app/Configuration.h"

#include "common/Cp932.h"
#include "common/Messages.h"
#include "common/Utf8Path.h"

namespace kotar {
namespace {

constexpr const char* kConfig = "CONFIG";
constexpr int kCaptionMessages[kSlotCount] = {kMsgSlot1Caption, kMsgSlot2Caption,
                                               kMsgSlot3Caption};
constexpr int kCommentMessages[kSlotCount] = {kMsgSlot1Comment, kMsgSlot2Comment,
                                               kMsgSlot3Comment};

// Empty gives the default; a longer text is cut to max_bytes cp932 bytes at a character
// boundary.
std::string CorrectSlotText(const std::string& value, int default_message, std::size_t max_bytes) {
    std::string text = value.empty() ? std::string(MessageText(default_message)) : value;
    return TruncateToCp932Bytes(text, max_bytes);
}

}  // namespace

std::filesystem::path ConfigurationFilePath(const std::filesystem::path& start_directory) {
    return start_directory / "MEVAN.INI";
}

std::uint32_t LoadDiskPercent(ProfileFile& ini) {
    std::uint32_t percent = ini.GetInt(kConfig, "DISK", static_cast<std::int32_t>(kDefaultDiskPercent));
    if (percent > 100) percent = kDefaultDiskPercent;
    ini.WriteInt(kConfig, "DISK", percent);
    return percent;
}

int ReadPortNumber(const ProfileFile& ini) {
    return static_cast<std::int32_t>(ini.GetInt(kConfig, "PORT", kDefaultPort));
}

Configuration LoadConfiguration(ProfileFile& ini, Prompter& prompter,
                                const std::filesystem::path& default_work_folder) {
    Configuration config;

    config.work_folder = ini.GetString(kConfig, "PATH", default_work_folder.string());
    if (!CanEnterFolder(PathFromUtf8(config.work_folder))) {
        prompter.ShowMessage(kMsgWorkFolderMissing, MessageIcon::Exclamation);
        std::error_code ec;
        std::filesystem::create_directory(default_work_folder.parent_path(), ec);
        std::filesystem::create_directory(default_work_folder, ec);
        config.work_folder = default_work_folder.string();
    }
    ini.WriteString(kConfig, "PATH", config.work_folder);

    // Only a text of digits alone is taken as a number; anything else, or more than 5, is 3.
    std::string delay_text = ini.GetString(kConfig, "RECDELAY", "3");
    bool digits_only = delay_text.find_first_not_of("0123456789") == std::string::npos;
    config.record_delay_s = kDefaultRecordDelaySeconds;
    if (digits_only) {
        auto value = static_cast<std::int32_t>(
            ini.GetInt(kConfig, "RECDELAY", kDefaultRecordDelaySeconds));
        // A run of digits too long for 32 bits wraps to a negative number: also "above 5".
        config.record_delay_s = (value > 5 || value < 0) ? kDefaultRecordDelaySeconds : value;
    }
    ini.WriteInt(kConfig, "RECDELAY", config.record_delay_s);

    ini.WriteInt(kConfig, "PORT", ReadPortNumber(ini));
    LoadDiskPercent(ini);

    for (int slot = 0; slot < kSlotCount; ++slot) {
        std::string section = "VOICE" + std::to_string(slot + 1);
        config.slot_captions[slot] =
            CorrectSlotText(ini.GetString(section, "name", MessageText(kCaptionMessages[slot])),
                            kCaptionMessages[slot], kSlotCaptionMaxBytes);
        ini.WriteString(section, "name", config.slot_captions[slot]);
        config.slot_comments[slot] =
            CorrectSlotText(ini.GetString(section, "comment", MessageText(kCommentMessages[slot])),
                            kCommentMessages[slot], kSlotCommentMaxBytes);
        ini.WriteString(section, "comment", config.slot_comments[slot]);
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
