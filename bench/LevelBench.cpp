// SPDX-License-Identifier: GPL-3.0-or-later
// What the level commands cost on the longest phrase (slot 3, 16.384 s, 131,072 samples): the
// figures alone, even loudness, trimming, both one after the other as a user runs them, and
// the same through the edit history of the dialogs (which also keeps what each change took).
// In process; each run starts from a fresh copy of the same phrase.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "audio/EditHistory.h"
#include "audio/LevelAnalysis.h"
#include "audio/PhraseLevelOps.h"
#include "common/StderrPrompter.h"

namespace {

constexpr std::uint32_t kSamples = 131'072;  // 16.384 s at 8000 Hz
constexpr std::uint32_t kLeadSamples = 8'000;

// A quiet spoken-like phrase: 1 s of silence, bursts of a tone mixture, 1 s of silence.
const kotar::CSoundCtrl& Phrase() {
    static const kotar::CSoundCtrl phrase = [] {
        kotar::StderrPrompter prompter;
        kotar::CSoundCtrl p(kotar::kFormatPcm, 1, 8000, 16, kSamples * 2, prompter);
        for (std::uint32_t i = kLeadSamples; i < kSamples - kLeadSamples; ++i) {
            const double envelope = std::max(0.0, std::sin(i / 2500.0));
            const double v = envelope * (0.05 * std::sin(i * 0.23) + 0.03 * std::sin(i * 1.7));
            const auto s = static_cast<std::int16_t>(std::lrint(v * 32767));
            p.data()[2 * i] = static_cast<std::uint8_t>(s);
            p.data()[2 * i + 1] = static_cast<std::uint8_t>(s >> 8);
        }
        p.set_length(kSamples * 2);
        return p;
    }();
    return phrase;
}

void BM_MeasureLevels(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(kotar::MeasureLevels(Phrase()));
}

void BM_EvenLoudness(benchmark::State& state) {
    for (auto _ : state) {
        kotar::CSoundCtrl phrase(Phrase());
        benchmark::DoNotOptimize(kotar::EvenLoudness(phrase, -16.0));
    }
}

void BM_TrimSilence(benchmark::State& state) {
    for (auto _ : state) {
        kotar::CSoundCtrl phrase(Phrase());
        benchmark::DoNotOptimize(kotar::TrimSilence(phrase));
    }
}

void BM_EvenLoudnessThenTrim(benchmark::State& state) {
    for (auto _ : state) {
        kotar::CSoundCtrl phrase(Phrase());
        kotar::EvenLoudness(phrase, -16.0);
        benchmark::DoNotOptimize(kotar::TrimSilence(phrase));
    }
}

// As the dialog runs them: recorded for undo, and the figures measured after each change.
void BM_DialogEvenLoudnessThenTrim(benchmark::State& state) {
    for (auto _ : state) {
        kotar::CSoundCtrl phrase(Phrase());
        kotar::EditHistory history(phrase);
        history.EvenLoudness(-16.0);
        benchmark::DoNotOptimize(kotar::MeasureLevels(phrase));
        history.TrimSilence();
        benchmark::DoNotOptimize(kotar::MeasureLevels(phrase));
    }
}

// Copying the phrase, which every run above includes.
void BM_CopyOnly(benchmark::State& state) {
    for (auto _ : state) {
        kotar::CSoundCtrl phrase(Phrase());
        benchmark::DoNotOptimize(phrase.data());
    }
}

BENCHMARK(BM_MeasureLevels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvenLoudness)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrimSilence)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvenLoudnessThenTrim)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DialogEvenLoudnessThenTrim)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
