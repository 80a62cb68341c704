// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/Prompter.h"

namespace kotar {

// Rules for the name of a property. A property is stored as the folder "TR_" + name in the
// work folder; names are UTF-8 in the program and counted in cp932 bytes.

inline constexpr std::string_view kPropertyFolderPrefix = "TR_";
inline constexpr std::size_t kPropertyNameMaxBytes = 40;
// The characters a file name cannot hold, in the order the refusal message lists them.
inline constexpr std::string_view kForbiddenNameCharacters = "\\/:*?\"<>|";
// Caption and text of the box that refuses a forbidden character.
inline constexpr const char* kForbiddenCharacterCaption = "エラー";
std::string
ForbiddenCharacterText();  // "ファイル名には次の文字はつかえません。\r\n \ / : * ? " < > |"

// Outcome of the new-property checks, in the order the new-property dialog makes them.
enum class PropertyNameCheck {
    Ok,
    Empty,               // nothing typed (the dialog keeps OK disabled)
    TooLong,             // more than 40 cp932 bytes (the dialog's edit refuses more)
    Duplicate,           // equals a listed name, letter case ignored: message 120
    ForbiddenCharacter,  // one of the nine characters: the "エラー" box
};

// True when the name's cp932 form has at most 40 bytes.
bool PropertyNameFitsLength(std::string_view name);
// True when the name holds one of the nine forbidden characters.
bool ContainsForbiddenCharacter(std::string_view name);
// Equality of two names without regard to letter case (ASCII letters), as the property list
// compares them.
bool PropertyNamesEqual(std::string_view a, std::string_view b);
// Ordering of the property list: letter case ignored, then byte order to keep it total.
bool PropertyNameLess(std::string_view a, std::string_view b);
// Position of the name in the list (letter case ignored), or -1.
int FindPropertyName(const std::vector<std::string>& names, std::string_view name);

// The names in the list that equal `name` when letter case is ignored but differ from it in
// letter case, in list order.
std::vector<std::string> CaseVariantsOf(const std::vector<std::string>& names,
                                        std::string_view name);
// "ABC、abc": the variants as a refusal lists them.
std::string JoinNames(const std::vector<std::string>& names);

// All checks of a new name against the listed names.
PropertyNameCheck CheckNewPropertyName(const std::vector<std::string>& names,
                                       std::string_view name);
// Shows the refusal for a failed check through the prompter (120 with the error icon, or the
// "エラー" box with the exclamation icon; a literal text for the length and the empty name).
// Does nothing for Ok.
void ShowPropertyNameRefusal(PropertyNameCheck check, Prompter& prompter);

}  // namespace kotar
