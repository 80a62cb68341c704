// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Cp932.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace kotar {

std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

bool IsCp932LeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string FoldJisVariants(std::string_view utf8) {
    // JIS X 0208 characters that JIS mappings and cp932 put at different code points.
    static constexpr std::pair<std::string_view, std::string_view> kVariants[] = {
        {"\u301C", "\uFF5E"},  // wave dash
        {"\u2014", "\u2015"},  // em dash
        {"\u2016", "\u2225"},  // double vertical line
        {"\u2212", "\uFF0D"},  // minus sign
        {"\u00A2", "\uFFE0"},  // cent sign
        {"\u00A3", "\uFFE1"},  // pound sign
        {"\u00AC", "\uFFE2"},  // not sign
    };
    std::string folded;
    folded.reserve(utf8.size());
    for (std::size_t pos = 0; pos < utf8.size();) {
        const std::size_t n =
            std::min(Utf8SequenceLength(static_cast<unsigned char>(utf8[pos])), utf8.size() - pos);
        const std::string_view character = utf8.substr(pos, n);
        const auto* variant =
            std::find_if(std::begin(kVariants), std::end(kVariants),
                         [character](const auto& entry) { return entry.first == character; });
        folded += variant != std::end(kVariants) ? variant->second : character;
        pos += n;
    }
    return folded;
}

std::size_t Cp932Length(std::string_view utf8) {
    return Utf8ToCp932(utf8).size();
}

std::string TruncateToCp932Bytes(std::string_view utf8, std::size_t max_bytes) {
    std::size_t used = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        std::size_t n =
            std::min(Utf8SequenceLength(static_cast<unsigned char>(utf8[pos])), utf8.size() - pos);
        std::size_t bytes = Utf8ToCp932(utf8.substr(pos, n)).size();
        if (used + bytes > max_bytes) {
            break;
        }
        used += bytes;
        pos += n;
    }
    return std::string(utf8.substr(0, pos));
}

std::string TruncateCp932Bytes(std::string_view cp932, std::size_t max_bytes) {
    std::size_t pos = 0;
    while (pos < cp932.size()) {
        std::size_t n = IsCp932LeadByte(static_cast<unsigned char>(cp932[pos])) ? 2 : 1;
        if (pos + n > max_bytes) {
            break;
        }
        pos += n;
    }
    return std::string(cp932.substr(0, std::min(pos, cp932.size())));
}

}  // namespace kotar
