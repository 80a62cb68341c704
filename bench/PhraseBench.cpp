// SPDX-License-Identifier: GPL-3.0-or-later
// The import chain and the ROM-writer export, in process and as whole kotar-cli runs side by
// side with sox doing the same conversions; then the import chain's quality figures.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "audio/ImportChain.h"
#include "common/StderrPrompter.h"
#include "export/PhraseFileBuild.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using kotar::StderrPrompter;

// ---- test material -----------------------------------------------------------------------

void PutU16(std::vector<std::uint8_t>& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutU32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void PutTag(std::vector<std::uint8_t>& b, const char* t) {
    b.insert(b.end(), t, t + 4);
}

// A PCM 16-bit WAV file of a tone mixture, `frames` frames of `channels` channels.
void WriteTone(const fs::path& path, int channels, std::uint32_t rate, std::size_t frames,
               const std::vector<double>& frequencies, double amplitude) {
    const auto data_bytes = static_cast<std::uint32_t>(frames * channels * 2);
    std::vector<std::uint8_t> b;
    PutTag(b, "RIFF");
    PutU32(b, 36 + data_bytes);
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    PutU32(b, 16);
    PutU16(b, 1);
    PutU16(b, static_cast<std::uint16_t>(channels));
    PutU32(b, rate);
    PutU32(b, rate * channels * 2);
    PutU16(b, static_cast<std::uint16_t>(channels * 2));
    PutU16(b, 16);
    PutTag(b, "data");
    PutU32(b, data_bytes);
    for (std::size_t i = 0; i < frames; ++i) {
        double v = 0;
        for (double f : frequencies)
            v += std::sin(2 * M_PI * f * static_cast<double>(i) / rate);
        v *= amplitude / static_cast<double>(frequencies.size());
        const auto s = static_cast<std::int16_t>(std::lrint(v * 32767));
        for (int c = 0; c < channels; ++c)
            PutU16(b, static_cast<std::uint16_t>(s));
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

struct Material {
    fs::path root;
    fs::path work;
    fs::path big_stereo;   // 256000 frames (5.8 s) of 44.1 kHz stereo, 1,024,000 bytes
    fs::path mono8k;       // 8.192 s of 8 kHz mono
    fs::path long_stereo;  // 60 s of 48 kHz stereo, 11.5 MB
    kotar::SlotList slots;

    Material() {
        char pattern[] = "/tmp/kotar-bench-XXXXXX";
        root = ::mkdtemp(pattern);
        work = root / "work";
        fs::create_directories(work / "TR_P");
        std::ofstream(root / "MEVAN.INI", std::ios::binary)
            << "[CONFIG]\r\nPATH=" << work.string() << "\r\n";
        big_stereo = root / "big.wav";
        WriteTone(big_stereo, 2, 44100, 256000, {440, 1250, 3100}, 0.8);
        mono8k = root / "mono8k.wav";
        WriteTone(mono8k, 1, 8000, 65536, {440, 1250, 3100}, 0.8);
        long_stereo = root / "long.wav";
        WriteTone(long_stereo, 2, 48000, 60 * 48000, {440, 1250, 3100}, 0.8);
        // Three full slots with their texts (the LIST chunk the slot scan reads).
        const std::size_t slot_frames[] = {65536, 65536, 131072};
        for (int n = 1; n <= 3; ++n) {
            fs::path slot = work / "TR_P" / ("0" + std::to_string(n) + ".wav");
            WriteTone(slot, 1, 8000, slot_frames[n - 1], {300.0 * n, 2000}, 0.7);
            std::vector<std::uint8_t> list;
            PutTag(list, "LIST");
            PutU32(list, 4 + 8 + 2);
            PutTag(list, "INFO");
            PutTag(list, "atrb");
            PutU32(list, 2);
            list.push_back('P');
            list.push_back('0' + n);
            std::ofstream(slot, std::ios::binary | std::ios::app)
                .write(reinterpret_cast<const char*>(list.data()),
                       static_cast<std::streamsize>(list.size()));
            slots.push_back({slot.string(), "P" + std::to_string(n)});
        }
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

// What one finished program took.
struct Usage {
    double wall_s = 0;
    double cpu_s = 0;  // user + system
};

// Runs a program in the material folder with its output discarded; aborts the run on failure.
// (Its peak memory cannot be read here: a spawned child's figure starts from this process's.)
Usage Run(const std::vector<std::string>& argv, benchmark::State& state) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, M().root.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = 0;
    struct rusage usage {};
    const auto start = std::chrono::steady_clock::now();
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0 ||
        wait4(pid, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        state.SkipWithError(("failed: " + argv[0]).c_str());
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    posix_spawn_file_actions_destroy(&actions);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return {wall.count(), seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

// Runs command lines one after another; their times added up.
Usage RunAll(const std::vector<std::vector<std::string>>& runs, benchmark::State& state) {
    Usage total;
    for (const auto& argv : runs) {
        const Usage usage = Run(argv, state);
        total.wall_s += usage.wall_s;
        total.cpu_s += usage.cpu_s;
    }
    return total;
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

const std::string kCli = KOTAR_CLI_PATH;

// ---- in process --------------------------------------------------------------------------

void BM_ImportChain_44k1Stereo_InProcess(benchmark::State& state) {
    StderrPrompter prompter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kotar::RunImportChain(M().big_stereo.string(), prompter));
    }
}
BENCHMARK(BM_ImportChain_44k1Stereo_InProcess)->Unit(benchmark::kMillisecond);

void BM_ImportChain_8kMono_InProcess(benchmark::State& state) {
    StderrPrompter prompter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kotar::RunImportChain(M().mono8k.string(), prompter));
    }
}
BENCHMARK(BM_ImportChain_8kMono_InProcess)->Unit(benchmark::kMillisecond);

void BM_ImportChain_48kStereo60s_InProcess(benchmark::State& state) {
    StderrPrompter prompter;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kotar::RunImportChain(M().long_stereo.string(), prompter));
    }
}
BENCHMARK(BM_ImportChain_48kStereo60s_InProcess)->Unit(benchmark::kMillisecond);

void BM_ExportContinuous_InProcess(benchmark::State& state) {
    StderrPrompter prompter;
    const std::string out = (M().root / "inproc.snd").string();
    for (auto _ : state) {
        if (kotar::BuildPhraseFile(kotar::kPhraseABContinuous, M().slots, M().work.string(), out,
                                   prompter) != kotar::PhraseBuildResult::kWritten) {
            state.SkipWithError("build failed");
        }
    }
}
BENCHMARK(BM_ExportContinuous_InProcess)->Unit(benchmark::kMillisecond);

// ---- whole processes, side by side -------------------------------------------------------

// kotar-cli and sox in turn, a pair each iteration, so that both see the same machine load;
// the figures are medians over the pairs (a disk flush or another process can stall any one
// run): each side's wall and CPU time and the ratios taken pair by pair.
void SideBySide(benchmark::State& state, const std::vector<std::vector<std::string>>& ours,
                const std::vector<std::vector<std::string>>& sox) {
    std::vector<double> our_wall, sox_wall, our_cpu, sox_cpu, wall_ratio, cpu_ratio;
    for (auto _ : state) {
        const Usage a = RunAll(ours, state);
        const Usage b = RunAll(sox, state);
        our_wall.push_back(a.wall_s);
        sox_wall.push_back(b.wall_s);
        our_cpu.push_back(a.cpu_s);
        sox_cpu.push_back(b.cpu_s);
        wall_ratio.push_back(a.wall_s / b.wall_s);
        if (b.cpu_s > 0)
            cpu_ratio.push_back(a.cpu_s / b.cpu_s);
    }
    state.counters["cli_ms"] = Median(our_wall) * 1e3;
    state.counters["sox_ms"] = Median(sox_wall) * 1e3;
    state.counters["cli_cpu_ms"] = Median(our_cpu) * 1e3;
    state.counters["sox_cpu_ms"] = Median(sox_cpu) * 1e3;
    state.counters["wall_ratio"] = Median(wall_ratio);
    state.counters["cpu_ratio"] = Median(cpu_ratio);
}

std::vector<std::string> SoxToRecordingFormat(const fs::path& in, const std::string& out) {
    return {"sox", in.string(), "-r", "8000", "-c", "1", "-b", "16", out};
}

void BM_Import44k1Stereo(benchmark::State& state) {
    SideBySide(state, {{kCli, "import", "P", "1", M().big_stereo.string(), "--text", "A"}},
               {SoxToRecordingFormat(M().big_stereo, (M().root / "sox-import.wav").string())});
}
void BM_Import48kStereo60s(benchmark::State& state) {
    SideBySide(state, {{kCli, "import", "P", "1", M().long_stereo.string(), "--text", "A"}},
               {SoxToRecordingFormat(M().long_stereo, (M().root / "sox-import60.wav").string())});
}
void BM_Import8kMono(benchmark::State& state) {
    SideBySide(state, {{kCli, "import", "P", "2", M().mono8k.string(), "--text", "B"}},
               {SoxToRecordingFormat(M().mono8k, (M().root / "sox-import8k.wav").string())});
}
void BM_ExportContinuous(benchmark::State& state) {
    const std::string out = (M().root / "sox-ulaw.wav").string();
    SideBySide(state,
               {{kCli, "export", "P", (M().root / "cli.snd").string(), "--mode", "continuous"}},
               {{"sox", M().slots[2].wav_path, "-e", "u-law", out}});
}
void BM_ExportAB(benchmark::State& state) {  // sox: the same two conversions
    const std::string out = (M().root / "sox-ulaw.wav").string();
    SideBySide(state, {{kCli, "export", "P", (M().root / "cli-ab.snd").string(), "--mode", "ab"}},
               {{"sox", M().slots[0].wav_path, "-e", "u-law", out},
                {"sox", M().slots[1].wav_path, "-e", "u-law", out}});
}
BENCHMARK(BM_Import44k1Stereo)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(41);
BENCHMARK(BM_Import48kStereo60s)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(21);
BENCHMARK(BM_Import8kMono)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(41);
BENCHMARK(BM_ExportContinuous)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(41);
BENCHMARK(BM_ExportAB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(41);

// Prints the side-by-side figures as one line each at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.iterations > 0 && run.run_type == Run::RT_Iteration &&
                run.counters.count("wall_ratio") > 0) {
                figures_[run.benchmark_name()] = run.counters;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const char* what, const std::string& name) const {
        auto found = figures_.find(name);
        if (found == figures_.end())
            return;
        const auto& c = found->second;
        std::printf(
            "ratio kotar-cli/sox %-26s wall %.2f (%.1f vs %.1f ms)  cpu %.2f (%.2f vs %.2f ms)\n",
            what, c.at("wall_ratio").value, c.at("cli_ms").value, c.at("sox_ms").value,
            c.at("cpu_ratio").value, c.at("cli_cpu_ms").value, c.at("sox_cpu_ms").value);
    }

private:
    std::map<std::string, benchmark::UserCounters> figures_;
};

// ---- quality of the import chain ---------------------------------------------------------

double Amplitude(const kotar::CWaveFile& wave, double frequency, std::size_t first,
                 std::size_t count) {
    const std::uint8_t* d = wave.data();
    double re = 0, im = 0;
    const double w = 2 * M_PI * frequency / 8000;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t k = first + i;
        const double x = static_cast<std::int16_t>(d[2 * k] | (d[2 * k + 1] << 8)) / 32768.0;
        re += x * std::cos(w * static_cast<double>(i));
        im -= x * std::sin(w * static_cast<double>(i));
    }
    return 2 * std::sqrt(re * re + im * im) / static_cast<double>(count);
}

void PrintQuality() {
    StderrPrompter prompter;
    const double amplitude = 0.5;
    const fs::path tone1k = M().root / "1k.wav";
    WriteTone(tone1k, 2, 44100, 88200, {1000}, amplitude);
    auto r1 = kotar::RunImportChain(tone1k.string(), prompter);
    const double level = Amplitude(*r1, 1000, 4000, 8000);
    const double input = std::lrint(amplitude * 32767) / 32768.0;
    std::printf("quality 1 kHz level error (44.1 kHz stereo in): %+.4f dB\n",
                20 * std::log10(level / input));

    const fs::path tone6k = M().root / "6k.wav";
    WriteTone(tone6k, 2, 44100, 88200, {6000}, 0.9);
    auto r6 = kotar::RunImportChain(tone6k.string(), prompter);
    const double alias = Amplitude(*r6, 2000, 4000, 8000);  // 6 kHz folds to 2 kHz
    double rms = 0;
    for (std::size_t k = 4000; k < 12000; ++k) {
        const auto* d = r6->data();
        const double x = static_cast<std::int16_t>(d[2 * k] | (d[2 * k + 1] << 8)) / 32768.0;
        rms += x * x;
    }
    rms = std::sqrt(rms / 8000);
    if (rms == 0) {
        std::printf(
            "quality 6 kHz rejection: every output sample is 0, more than %.1f dB "
            "(below half a 16-bit step)\n",
            20 * std::log10(0.9 / (0.5 / 32768)));
    } else {
        std::printf("quality 6 kHz rejection at its 2 kHz alias: %.1f dB (all residue: %.1f dB)\n",
                    20 * std::log10(0.9 / std::max(alias, 1e-12)),
                    20 * std::log10((0.9 / std::sqrt(2)) / rms));
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (::system("sox --version > /dev/null 2>&1") != 0) {
        std::fprintf(stderr, "sox not found: the side-by-side comparisons will fail\n");
    }
    PrintQuality();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("import 44.1 kHz stereo", "BM_Import44k1Stereo/iterations:41/real_time");
    reporter.PrintRatio("import 60 s 48 kHz stereo",
                        "BM_Import48kStereo60s/iterations:21/real_time");
    reporter.PrintRatio("import 8 kHz mono", "BM_Import8kMono/iterations:41/real_time");
    reporter.PrintRatio("export continuous", "BM_ExportContinuous/iterations:41/real_time");
    reporter.PrintRatio("export A/B", "BM_ExportAB/iterations:41/real_time");
    benchmark::Shutdown();
    return 0;
}
