// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kotar {

// Conversions between the program's UTF-8 texts and the code page 932 bytes that the stored
// files (INI file, WAV attribute text, communication log, program files) hold.

// UTF-8 to cp932. Characters without a cp932 form become '?', and so does every character that
// would read back as another one (no "best fit": "é" is no "e", "¥" no backslash), alike on
// every system. The few JIS characters that converters give different code points ("〜" U+301C
// beside "～" U+FF5E, "−" beside "－", ...) are written as the cp932 character they stand for.
std::string Utf8ToCp932(std::string_view utf8);

// cp932 to UTF-8. Bytes that are not valid cp932 become U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);

// Number of cp932 bytes of a UTF-8 text.
std::size_t Cp932Length(std::string_view utf8);

// The longest leading part of a UTF-8 text whose cp932 form has at most max_bytes bytes; never
// ends inside a character (a double-byte character that would cross the limit is left out).
std::string TruncateToCp932Bytes(std::string_view utf8, std::size_t max_bytes);

// Cuts cp932 bytes to at most max_bytes without splitting a double-byte character.
std::string TruncateCp932Bytes(std::string_view cp932, std::size_t max_bytes);

// Helpers of the converters of each system.
// Bytes of the UTF-8 sequence that starts with lead (1 for a stray byte).
std::size_t Utf8SequenceLength(unsigned char lead);
bool IsCp932LeadByte(unsigned char byte);
// Both encodings keep the 7-bit range as it is, so plain ASCII needs no converter.
bool IsAscii(std::string_view text);
// The text with each JIS character that has two code points in use in the form that cp932
// reads back.
std::string FoldJisVariants(std::string_view utf8);

}  // namespace kotar
