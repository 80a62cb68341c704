// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <array>
#include <vector>

#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "link/Frame.h"
#include "ops/ProgramFile.h"
#include "ops/TransferSequence.h"

namespace kotar::fuzz {
namespace {

// A file of file_bytes zero bytes that ends in the given bytes (cut to fit), with a correct
// CRC in its last two bytes when asked.
std::vector<std::uint8_t> FileEndingIn(Input tail, std::size_t file_bytes, bool fix_crc) {
    std::vector<std::uint8_t> file(file_bytes, 0);
    tail = tail.last(std::min(tail.size(), file_bytes));
    std::copy(tail.begin(), tail.end(), file.end() - static_cast<std::ptrdiff_t>(tail.size()));
    if (fix_crc)
        PutLe16(file.data() + file_bytes - 2, Crc16Mcrf4xx({file.data(), file_bytes - 2}));
    return file;
}

// The maintenance dialog's selection step on the file: a file it takes is padded with 0xFF to
// its area, carries the checksum of all it sends and its tag; a refused file leaves nothing
// selected.
void CheckSelection(bool selected, const ProgramSelection& selection, std::size_t file_bytes,
                    std::size_t image_bytes) {
    Require(selected == selection.selected(), "selected exactly when taken");
    Require(selection.image.size() == image_bytes, "the image has the area's size");
    if (!selected) {
        Require(std::all_of(selection.image.begin(), selection.image.end(),
                            [](std::uint8_t b) { return b == 0xFF; }),
                "a refused file leaves an empty image");
        return;
    }
    Require(std::all_of(selection.image.begin() + static_cast<std::ptrdiff_t>(file_bytes),
                        selection.image.end(), [](std::uint8_t b) { return b == 0xFF; }),
            "the image is padded with 0xFF");
    Require(selection.checksum == AdditiveChecksum(selection.image),
            "the checksum covers the image");
}

}  // namespace

// The input: a mode byte (0: the bytes are the file; 1 and 2: an application or update file
// of its proper size that ends in the bytes, 3 and 4: the same with the CRC made right), then
// the bytes.
void ProgramFileTarget(Input input) {
    if (input.empty())
        return;
    const std::uint8_t mode = input[0] % 5;
    const Input rest = input.subspan(1);
    std::vector<std::uint8_t> file(rest.begin(), rest.end());
    if (mode == 1 || mode == 3)
        file = FileEndingIn(rest, kApplicationFileBytes, mode == 3);
    if (mode == 2 || mode == 4)
        file = FileEndingIn(rest, kUpdateFileBytes, mode == 4);
    const auto path = WriteInput("program.bin", file);

    SilentPrompter prompter;
    ProgramSelection application;
    CheckSelection(SelectApplicationFile(path, &application, prompter), application,
                   kApplicationFileBytes, kApplicationImageBytes);
    ProgramSelection update;
    const bool update_taken = SelectUpdateFile(path, &update, prompter);
    CheckSelection(update_taken, update, kUpdateFileBytes, kUpdateFileBytes);
    // The device expects the CRC that the update file lacks in its last two bytes.
    Require(!update_taken || Crc16Mcrf4xx({update.image.data(), kUpdateFileBytes - 2}) ==
                                 GetLe16(update.image.data() + kUpdateFileBytes - 2),
            "the update image carries its CRC");
    // The trailer texts alone, from the first bytes (zero-filled to a whole trailer).
    std::array<std::uint8_t, kProgramTrailerBytes> trailer{};
    std::copy_n(rest.begin(), std::min(rest.size(), trailer.size()), trailer.begin());
    std::string tag;
    const ProgramFileFields fields = ReadTrailerFields(trailer, &tag);
    Require(tag.size() <= 4 && fields.date.size() <= 16 * 3 && fields.version.size() <= 9 * 3,
            "trailer texts stay within their fields");
}

}  // namespace kotar::fuzz
