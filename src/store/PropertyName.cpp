// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/PropertyName.h"

#include <algorithm>

#include "common/Cp932.h"
#include "common/Messages.h"

namespace kotar {
namespace {

// The name with letter case taken out: ASCII letters and the full-width Latin letters
// (U+FF21..U+FF3A, UTF-8 EF BC A1..BA) become small letters, as the list box compares them.
std::string FoldCase(std::string_view name) {
    std::string folded(name);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        auto c = static_cast<unsigned char>(folded[i]);
        if (c >= 'A' && c <= 'Z') {
            folded[i] = static_cast<char>(c - 'A' + 'a');
        } else if (c == 0xEF && i + 2 < folded.size() &&
                   static_cast<unsigned char>(folded[i + 1]) == 0xBC) {
            auto last = static_cast<unsigned char>(folded[i + 2]);
            if (last >= 0xA1 && last <= 0xBA) {
                folded[i + 1] = static_cast<char>(0xBD);
                folded[i + 2] = static_cast<char>(0x81 + (last - 0xA1));
            }
            i += 2;
        }
    }
    return folded;
}

// Negative, zero or positive as a is before, equal to or after b with letter case ignored.
int CompareIgnoringCase(std::string_view a, std::string_view b) {
    return FoldCase(a).compare(FoldCase(b));
}

}  // namespace

std::string ForbiddenCharacterText() {
    std::string text = "ファイル名には次の文字はつかえません。\r\n";
    for (char c : kForbiddenNameCharacters) {
        text += ' ';
        text += c;
    }
    return text;
}

bool PropertyNameFitsLength(std::string_view name) {
    return Cp932Length(name) <= kPropertyNameMaxBytes;
}

bool ContainsForbiddenCharacter(std::string_view name) {
    return name.find_first_of(kForbiddenNameCharacters) != std::string_view::npos;
}

bool PropertyNamesEqual(std::string_view a, std::string_view b) {
    return CompareIgnoringCase(a, b) == 0;
}

bool PropertyNameLess(std::string_view a, std::string_view b) {
    int c = CompareIgnoringCase(a, b);
    return c != 0 ? c < 0 : a < b;
}

int FindPropertyName(const std::vector<std::string>& names, std::string_view name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (PropertyNamesEqual(names[i], name))
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<std::string> CaseVariantsOf(const std::vector<std::string>& names,
                                        std::string_view name) {
    std::vector<std::string> variants;
    for (const std::string& listed : names) {
        if (listed != name && PropertyNamesEqual(listed, name))
            variants.push_back(listed);
    }
    return variants;
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : "、") + name;
    return text;
}

PropertyNameCheck CheckNewPropertyName(const std::vector<std::string>& names,
                                       std::string_view name) {
    if (name.empty())
        return PropertyNameCheck::Empty;
    if (!PropertyNameFitsLength(name))
        return PropertyNameCheck::TooLong;
    if (FindPropertyName(names, name) >= 0)
        return PropertyNameCheck::Duplicate;
    if (ContainsForbiddenCharacter(name))
        return PropertyNameCheck::ForbiddenCharacter;
    return PropertyNameCheck::Ok;
}

void ShowPropertyNameRefusal(PropertyNameCheck check, Prompter& prompter) {
    switch (check) {
        case PropertyNameCheck::Ok:
            return;
        case PropertyNameCheck::Empty:
            prompter.ShowText("物件名称を入力してください。", "", MessageIcon::Error);
            return;
        case PropertyNameCheck::TooLong:
            prompter.ShowText("物件名称は全角20文字（半角40文字）以内で入力してください。", "",
                              MessageIcon::Error);
            return;
        case PropertyNameCheck::Duplicate:
            prompter.ShowMessage(kMsgDuplicateProperty, MessageIcon::Error);
            return;
        case PropertyNameCheck::ForbiddenCharacter:
            prompter.ShowText(ForbiddenCharacterText(), kForbiddenCharacterCaption,
                              MessageIcon::Exclamation);
            return;
    }
}

}  // namespace kotar
