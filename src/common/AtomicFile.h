// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace kotar {

// Replaces (or creates) the file at path with exactly the given bytes: the bytes go to a
// temporary file in the same folder, which is flushed to disk and renamed over the path, after
// which the folder is flushed too, so that a power cut cannot bring the earlier file back once
// the write was reported (one backend per system). On any failure before the rename the
// earlier file is left as it was, the temporary file is removed and false is returned; a
// failed flush of the folder after it is reported as a failure too, with the new bytes in
// place.
// The temporary file's name (".<name>.<process id>.<call number>") is made afresh by every call
// and created exclusively, so writers of the same path in other threads or processes never
// share one.
// The replacement itself, one per system; durable waits for the disk.
bool ReplaceFileWithBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                          bool durable);

inline bool WriteFileAtomically(const std::filesystem::path& path,
                                std::span<const std::uint8_t> bytes) {
    return ReplaceFileWithBytes(path, bytes, true);
}
inline bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    return WriteFileAtomically(
        path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                            bytes.size()));
}

// The same replacement without waiting for the disk, for intermediate files that a crash may
// lose.
inline bool ReplaceFileQuickly(const std::filesystem::path& path,
                               std::span<const std::uint8_t> bytes) {
    return ReplaceFileWithBytes(path, bytes, false);
}

}  // namespace kotar
