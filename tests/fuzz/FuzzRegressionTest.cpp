// SPDX-License-Identifier: GPL-3.0-or-later
// Every saved input of every fuzz target (the seeds, and each input that once broke a target)
// runs through its target in the regular suite, so a fault found once stays fixed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <vector>

#include "FuzzTargets.h"
#include "TempDir.h"

namespace kotar::fuzz {
namespace {

namespace fs = std::filesystem;

}  // namespace

// Names the parameter by its target in test names and messages.
void PrintTo(const Target& target, std::ostream* out) {
    *out << target.name;
}

namespace {

class SavedFuzzInputs : public ::testing::TestWithParam<Target> {};

TEST_P(SavedFuzzInputs, RunThroughTheirTargetWithEveryPropertyHolding) {
    const fs::path folder = fs::path(KOTAR_FUZZ_INPUTS) / GetParam().name;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty()) << "no saved inputs in " << folder;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        GetParam().run(test::ReadBytes(file));
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, SavedFuzzInputs, ::testing::ValuesIn(kTargets),
                         [](const auto& target) { return std::string(target.param.name); });

}  // namespace
}  // namespace kotar::fuzz
