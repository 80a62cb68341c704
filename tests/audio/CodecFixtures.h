// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>
#include <vector>

#include "audio/CodecLibraries.h"

namespace kotar::test {

// Writes float samples with libsndfile in the given major|minor format.
inline void WriteWithSndfile(const std::filesystem::path& path, int format, int channels, int rate,
                             const std::vector<float>& samples) {
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = rate;
    info.format = format;
    // Test files have plain ASCII names, which every system's narrow path form takes.
    SNDFILE* file = sf_open(path.string().c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
    sf_close(file);
}

// Names codec libraries that do not exist for the life of the object.
class MissingCodecLibraries {
public:
    MissingCodecLibraries(bool sndfile, bool soxr) : saved_(CodecLibraryNamesInUse()) {
        if (sndfile)
            CodecLibraryNamesInUse().sndfile = "libkotar-missing-sndfile.so.1";
        if (soxr)
            CodecLibraryNamesInUse().soxr = "libkotar-missing-soxr.so.0";
    }
    ~MissingCodecLibraries() { CodecLibraryNamesInUse() = saved_; }

private:
    CodecLibraryNames saved_;
};

}  // namespace kotar::test
