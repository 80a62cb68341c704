// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliProperties.h"

#include <cstdio>

#include "common/Utf8Path.h"

namespace kotar::cli {

CliProperties::CliProperties(CliContext& context)
    : context_(context), store_(context.ini(), context.prompter(), space_) {}

bool CliProperties::List() {
    const std::filesystem::path work = PathFromUtf8(context_.config().work_folder);
    if (!CanEnterFolder(work)) {
        std::fprintf(stderr, "kotar-cli: work folder not found: %s\n", PathToUtf8(work).c_str());
        return false;
    }
    store_.List(work);
    return true;
}

bool CliProperties::Select(const std::string& name) {
    if (!List()) {
        return false;
    }
    const int index = store_.Find(name);
    if (index < 0) {
        // Never one of several names that differ only in letter case in place of the one named.
        const std::vector<std::string> variants = store_.CaseVariants(name);
        std::string others;
        for (const std::string& variant : variants)
            others += (others.empty() ? " '" : ", '") + variant + "'";
        std::fprintf(stderr, "kotar-cli: no property named '%s' in %s%s\n", name.c_str(),
                     PathToUtf8(store_.work_folder()).c_str(),
                     variants.empty() ? ""
                                      : ("; names that differ only in letter case:" + others +
                                         " (give the exact name)")
                                            .c_str());
        return false;
    }
    store_.Select(index);
    return true;
}

PhrasePanelMode ParseModeOption(const ParsedArguments& parsed) {
    const std::string mode = parsed.Option("mode").value_or("continuous");
    if (mode == "ab") {
        return PhrasePanelMode::kAB;
    }
    if (mode == "continuous") {
        return PhrasePanelMode::kContinuous;
    }
    throw UsageError{"--mode must be ab or continuous"};
}

int ParseSlotNumber(const std::string& text) {
    if (text != "1" && text != "2" && text != "3")
        throw UsageError{"SLOT must be 1, 2 or 3"};
    return text[0] - '0';
}

void PrintSlotCutNotice(double max_seconds) {
    std::fprintf(stderr, "録音サイズが長すぎます。%0.3f秒以降を削除しました。\n", max_seconds);
}

std::string AbsolutePath(CliContext& context, const std::string& path) {
    return PathToUtf8((context.start_directory() / PathFromUtf8(path)).lexically_normal());
}

}  // namespace kotar::cli
