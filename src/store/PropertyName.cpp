#include "store/PropertyName.h"

#include <algorithm>

#include "common/Cp932.h"
#include "common/Messages.h"

namespace kotar {
namespace {

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Negative, zero or positive as a is before, equal to or after b with letter case ignored.
int CompareIgnoringCase(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(FoldCase(a[i]));
        auto cb = static_cast<unsigned char>(FoldCase(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
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
