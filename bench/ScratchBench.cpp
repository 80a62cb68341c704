// SPDX-License-Identifier: GPL-3.0-or-later
// What the private scratch folder of a build costs: the ROM-writer export of a full slot 3 as
// it runs (its own folder under TEMP, made and removed), the same conversion and build in the
// shared TEMP folder with fixed names (as before the private folders), and the scratch folder
// alone. All in process, on the same material.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "audio/AcmCtrl.h"
#include "audio/WaveFile.h"
#include "common/ScratchFolder.h"
#include "common/StderrPrompter.h"
#include "export/MkFile.h"
#include "export/PhraseFileBuild.h"
#include "export/WriteThread.h"

namespace {

namespace fs = std::filesystem;

// A work folder with property "P" whose slot 3 holds 16.384 s of a tone mixture.
struct Material {
    fs::path root;
    std::string work;
    kotar::SlotList slots;

    Material() {
        char pattern[] = "/tmp/kotar-scratch-bench-XXXXXX";
        root = ::mkdtemp(pattern);
        work = (root / "work").string();
        fs::create_directories(root / "work" / "TR_P");
        kotar::StderrPrompter prompter;
        kotar::CWaveFile phrase(1, 1, 8000, 16, 131072 * 2, prompter);
        for (std::uint32_t i = 0; i < 131072; ++i) {
            const double v = 0.4 * std::sin(i * 0.23) + 0.3 * std::sin(i * 1.7);
            const auto s = static_cast<std::int16_t>(std::lrint(v * 32767));
            phrase.data()[2 * i] = static_cast<std::uint8_t>(s);
            phrase.data()[2 * i + 1] = static_cast<std::uint8_t>(s >> 8);
        }
        phrase.set_length(131072 * 2);
        const std::string slot3 = (root / "work" / "TR_P" / "03.wav").string();
        phrase.Save(slot3, "P3");
        slots = {{(root / "work" / "TR_P" / "01.wav").string(), ""},
                 {(root / "work" / "TR_P" / "02.wav").string(), ""},
                 {slot3, "P3"}};
    }
    ~Material() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
};

Material& M() {
    static Material material;
    return material;
}

void BM_Export_PrivateScratchFolder(benchmark::State& state) {
    kotar::StderrPrompter prompter;
    const std::string out = (M().root / "private.snd").string();
    for (auto _ : state) {
        if (kotar::BuildPhraseFile(kotar::kPhraseABContinuous, M().slots, M().work, out,
                                   prompter) != kotar::PhraseBuildResult::kWritten) {
            state.SkipWithError("build failed");
        }
    }
}

// The same steps with the converted file at a fixed name in the shared TEMP folder, whose WAV
// files every build deleted first.
void BM_Export_SharedTempFolder(benchmark::State& state) {
    kotar::StderrPrompter prompter;
    const fs::path temp = kotar::WorkTempFolder(M().work);
    const std::string converted = (temp / "uLaw03.wav").string();
    const std::string out = (M().root / "shared.snd").string();
    for (auto _ : state) {
        std::error_code ec;
        fs::create_directory(temp, ec);
        for (const auto& entry : fs::directory_iterator(temp, ec)) {
            if (entry.path().extension() == ".wav")
                fs::remove(entry.path(), ec);
        }
        kotar::CAcmCtrl converter(kotar::kFormatMuLaw, 1, 8000, 8, kotar::kSuggestAll,
                                  M().slots[2].wav_path, prompter);
        converter.Convert();
        converter.UnprepareHeader();
        converter.CloseStream();
        converter.target().Save(converted, "P3", kotar::CWaveFile::Durability::kScratch);
        kotar::CMkFile mk;
        if (!mk.MakeFileContinuous(converted, out, prompter))
            state.SkipWithError("build failed");
    }
}

void BM_ScratchFolder_MakeAndRemove(benchmark::State& state) {
    const fs::path parent = kotar::WorkTempFolder(M().work);
    for (auto _ : state) {
        std::optional<kotar::ScratchFolder> folder = kotar::ScratchFolder::Create(parent);
        if (!folder)
            state.SkipWithError("no scratch folder");
    }
}

// Interleaved, so that both exports see the same machine load.
BENCHMARK(BM_Export_PrivateScratchFolder)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Export_SharedTempFolder)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScratchFolder_MakeAndRemove)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Keeps the real time per iteration of every run to print the cost at the end.
class CostReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.iterations > 0 && run.run_type == Run::RT_Iteration)
                real_s_[run.benchmark_name()] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintCost() const {
        const double with = Get("BM_Export_PrivateScratchFolder/real_time");
        const double without = Get("BM_Export_SharedTempFolder/real_time");
        const double folder = Get("BM_ScratchFolder_MakeAndRemove/real_time");
        if (with <= 0 || without <= 0)
            return;
        std::printf(
            "scratch folder per export: %+.3f ms (%+.1f %%; export %.3f ms with, %.3f ms "
            "without); making and removing the folder alone: %.1f us\n",
            (with - without) * 1e3, (with / without - 1) * 100, with * 1e3, without * 1e3,
            folder * 1e6);
    }

private:
    double Get(const std::string& name) const {
        auto it = real_s_.find(name);
        return it == real_s_.end() ? 0 : it->second;
    }
    std::map<std::string, double> real_s_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    CostReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintCost();
    benchmark::Shutdown();
    return 0;
}
