// SPDX-License-Identifier: GPL-3.0-or-later
// Code page 932 through the Win32 conversion functions. A whole text is converted in one call;
// only a text with an unmappable or invalid character is gone through character by character,
// so that each such character becomes exactly one replacement, as with iconv elsewhere.
#include <windows.h>

#include "common/Cp932.h"
#include "common/WideText.h"

namespace kotar {
namespace {

constexpr UINT kCodePage = 932;

// UTF-16 to cp932; false when a character has no cp932 form. No best fit: a character that
// would read back as another one ("é" as "e", "¥" as a backslash) counts as having none.
bool WideToCp932(std::wstring_view wide, std::string& out) {
    constexpr DWORD kFlags = WC_NO_BEST_FIT_CHARS;
    BOOL used_default = FALSE;
    const int size = static_cast<int>(wide.size());
    const int length =
        ::WideCharToMultiByte(kCodePage, kFlags, wide.data(), size, nullptr, 0, "?", &used_default);
    if (length <= 0 || used_default)
        return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(length));
    ::WideCharToMultiByte(kCodePage, kFlags, wide.data(), size, out.data() + at, length, "?",
                          nullptr);
    return true;
}

// cp932 to UTF-16; false when the bytes are not valid cp932.
bool Cp932ToWide(std::string_view bytes, std::wstring& out) {
    const int size = static_cast<int>(bytes.size());
    const int length =
        ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(length));
    ::MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data() + at,
                          length);
    return true;
}

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

}  // namespace

std::string Utf8ToCp932(std::string_view utf8) {
    if (IsAscii(utf8))
        return std::string(utf8);
    const std::wstring wide = Utf8ToWide(FoldJisVariants(utf8));
    std::string out;
    if (WideToCp932(wide, out))
        return out;
    out.clear();
    for (std::size_t i = 0; i < wide.size();) {
        const std::size_t n = IsHighSurrogate(wide[i]) && i + 1 < wide.size() ? 2 : 1;
        if (!WideToCp932(std::wstring_view(wide).substr(i, n), out))
            out += '?';
        i += n;
    }
    return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
    if (IsAscii(cp932))
        return std::string(cp932);
    std::wstring wide;
    if (!Cp932ToWide(cp932, wide)) {
        wide.clear();
        for (std::size_t i = 0; i < cp932.size();) {
            const bool lead = IsCp932LeadByte(static_cast<unsigned char>(cp932[i]));
            const std::size_t n = lead && i + 1 < cp932.size() ? 2 : 1;
            if (Cp932ToWide(cp932.substr(i, n), wide)) {
                i += n;
            } else {
                // One byte is skipped, as with iconv: the next may start a valid character.
                wide += L'\xFFFD';
                ++i;
            }
        }
    }
    return WideToUtf8(wide);
}

}  // namespace kotar
