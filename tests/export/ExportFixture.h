// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "ScriptedPrompter.h"
#include "TempDir.h"
#include "WavBuilder.h"
#include "audio/MuLaw.h"
#include "store/SlotRecord.h"

namespace kotar::test {

// A work folder with one property "P" whose slots can be filled with recording-format phrases.
class ExportFixture : public ::testing::Test {
protected:
    ExportFixture() {
        std::filesystem::create_directories(property_folder());
        for (int n = 1; n <= 3; ++n) {
            slots_.push_back(
                {(property_folder() / ("0" + std::to_string(n) + ".wav")).string(), ""});
        }
    }

    std::filesystem::path work() const { return dir_.path(); }
    std::filesystem::path property_folder() const { return dir_.path() / "TR_P"; }
    std::filesystem::path temp() const { return dir_.path() / "TEMP"; }

    // Writes slot `index` (0-based) with `count` samples, distinct per slot, and the text.
    void FillSlot(int index, std::size_t count, const std::string& text) {
        std::vector<std::int16_t> samples(count);
        for (std::size_t i = 0; i < count; ++i) {
            samples[i] = static_cast<std::int16_t>((i * 331 + index * 9000) % 60000 - 30000);
        }
        samples_[index] = samples;
        WriteBytes(slots_[index].wav_path,
                   WavBuilder::Pcm(1, 1, 8000, 16, WavBuilder::Samples16(samples)));
        slots_[index].attribute_text = text;
    }

    // The mu-law bytes slot `index` converts to.
    std::vector<std::uint8_t> Encoded(int index) const {
        std::vector<std::uint8_t> out;
        for (std::int16_t s : samples_[index])
            out.push_back(MuLawEncode(s));
        return out;
    }

    static std::set<std::string> WavFilesIn(const std::filesystem::path& folder) {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder)) {
            if (e.path().extension() == ".wav")
                names.insert(e.path().filename().string());
        }
        return names;
    }

    // Everything below TEMP, as paths relative to it (none when there is no TEMP).
    std::set<std::string> TempEntries() const {
        std::set<std::string> names;
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(temp(), ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            names.insert(std::filesystem::relative(it->path(), temp()).string());
        }
        return names;
    }

    TempDir dir_;
    ScriptedPrompter prompter_;
    SlotList slots_;
    std::vector<std::int16_t> samples_[3];
};

}  // namespace kotar::test
