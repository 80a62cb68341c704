// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/FileChoice.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/Utf8Path.h"
#include "ops/ProgramFile.h"

namespace kotar {
namespace {

constexpr const char* kWrongTypeText =
    "指定した形式のファイルは書き込めません。\nファイルを確認してください。";
constexpr const char* kWriteFileCaption = "書込ファイル確認";

FileDialogRequest Request(const char* filter, const char* initial_name,
                          const char* default_extension, bool prompt_overwrite) {
    FileDialogRequest request;
    request.filter = filter;
    request.initial_name = initial_name;
    request.default_extension = default_extension;
    request.prompt_overwrite = prompt_overwrite;
    request.hide_read_only = true;
    return request;
}

std::string LowerExtension(const std::string& path) {
    std::string extension = PathToUtf8(PathFromUtf8(path).extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

}  // namespace

std::optional<std::string> ChoosePhraseFileToWrite(Prompter& prompter) {
    auto path = prompter.ChooseOpenFile(Request("SND(*.snd)|*.snd||", "*.snd", "", false));
    if (!path)
        return std::nullopt;
    if (LowerExtension(*path) != ".snd") {
        prompter.ShowText(kWrongTypeText, kWriteFileCaption, MessageIcon::Information);
        return std::nullopt;
    }
    return path;
}

std::optional<std::string> ChoosePhraseFileToSave(Prompter& prompter) {
    return prompter.ChooseSaveFile(Request("SND(*.snd)|*.snd||", "*.snd", "snd", true));
}

std::optional<std::string> ChooseProgramFile(Prompter& prompter,
                                             const std::string& initial_folder) {
    FileDialogRequest request = Request("BIN(*.bin)|*.bin||", "*.bin", "", false);
    request.initial_folder = initial_folder;
    auto path = prompter.ChooseOpenFile(request);
    if (!path)
        return std::nullopt;
    if (!HasProgramFileExtension(PathFromUtf8(*path))) {
        ShowProgramFileProblem(ProgramFileCheck::WrongType, prompter);
        return std::nullopt;
    }
    return path;
}

std::optional<std::string> ChooseDataFile(Prompter& prompter, const std::string& initial_folder) {
    FileDialogRequest request = Request("LOG(*.log)|*.log||", "*.log", "log", true);
    request.initial_folder = initial_folder;
    return prompter.ChooseSaveFile(request);
}

}  // namespace kotar
