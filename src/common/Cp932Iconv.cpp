// SPDX-License-Identifier: GPL-3.0-or-later
// Code page 932 through iconv ("CP932": plain Shift_JIS lacks the NEC and IBM extensions).
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "common/Cp932.h"

namespace kotar {
namespace {

// One iconv conversion descriptor, closed on destruction.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error("iconv cannot convert between cp932 and UTF-8");
        }
    }
    ~IconvHandle() { iconv_close(cd_); }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    // Converts the whole input; each undecodable sequence is replaced by `replacement` after
    // skipping `skip(input)` bytes.
    template <typename Skip>
    std::string Convert(std::string_view input, std::string_view replacement, Skip skip) const {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.reserve(input.size() * 2 + 4);
        char* in_ptr = const_cast<char*>(input.data());
        std::size_t in_left = input.size();
        char buffer[256];
        while (in_left > 0) {
            char* out_ptr = buffer;
            std::size_t out_left = sizeof(buffer);
            std::size_t rc = iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
            out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
            if (rc == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) {
                    continue;
                }
                // EILSEQ or EINVAL (a sequence cut at the end): replace and go on.
                out.append(replacement);
                std::size_t n = std::min(in_left, skip(std::string_view(in_ptr, in_left)));
                in_ptr += n;
                in_left -= n;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

private:
    iconv_t cd_;
};

const IconvHandle& ToCp932() {
    thread_local IconvHandle handle("CP932", "UTF-8");
    return handle;
}

const IconvHandle& FromCp932() {
    thread_local IconvHandle handle("UTF-8", "CP932");
    return handle;
}

std::size_t SkipUtf8Char(std::string_view rest) {
    return rest.empty() ? 0 : Utf8SequenceLength(static_cast<unsigned char>(rest[0]));
}

std::size_t SkipOneByte(std::string_view) {
    return 1;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
    if (IsAscii(cp932))
        return std::string(cp932);
    return FromCp932().Convert(cp932, "\xEF\xBF\xBD", SkipOneByte);
}

std::string Utf8ToCp932(std::string_view utf8) {
    if (IsAscii(utf8))
        return std::string(utf8);
    const std::string text = FoldJisVariants(utf8);
    std::string bytes = ToCp932().Convert(text, "?", SkipUtf8Char);
    if (Cp932ToUtf8(bytes) == text)
        return bytes;
    // iconv maps some characters to others ("¥" to a backslash): only a character that reads
    // back as itself is kept, as the Windows converter does without its best fit.
    bytes.clear();
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t n =
            std::min(Utf8SequenceLength(static_cast<unsigned char>(text[pos])), text.size() - pos);
        const std::string_view character = std::string_view(text).substr(pos, n);
        const std::string one = ToCp932().Convert(character, "?", SkipUtf8Char);
        bytes += Cp932ToUtf8(one) == character ? one : "?";
        pos += n;
    }
    return bytes;
}

}  // namespace kotar
