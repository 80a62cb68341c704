// SPDX-License-Identifier: GPL-3.0-or-later
#include "PacedWrite.h"

#include <chrono>
#include <cstdio>
#include <vector>

#include "common/AtomicFile.h"
#include "ops/PhraseTransfer.h"

namespace kotar::bench {
namespace {

class LastStatusSink : public TransferSink {
public:
    void SetStatus(const std::string& text) override {
        last = text;
        last_at = std::chrono::steady_clock::now();
    }
    void SetProgressRange(int) override {}
    void SetProgress(int) override {}
    std::string last;
    std::chrono::steady_clock::time_point last_at;
};

}  // namespace

TimedWrite TimePhraseWrite(const std::filesystem::path& folder, int port,
                           const LinkEnvironment& environment, bool verify) {
    std::vector<std::uint8_t> phrase(kPhraseFileBytes);
    for (std::size_t i = 0; i < phrase.size(); ++i)
        phrase[i] = static_cast<std::uint8_t>(i * 7);
    TimedWrite result;
    if (!WriteFileAtomically(folder / "ph.snd", phrase)) {
        result.last_status = "cannot write the phrase file";
        return result;
    }
    LastStatusSink sink;
    const auto start = std::chrono::steady_clock::now();
    result.ok = WritePhraseFile(folder / "ph.snd", port, environment, sink, verify) ==
                PhraseWriteOutcome::kWritten;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.last_status = sink.last;
    result.last_status_at = sink.last_at;
    return result;
}

void ReportPacedWrite(const TimedWrite& write, bool verify) {
    // Requests: start (26), 128 blocks (1040), end (14); answers: 15, 128 x 17, 15.
    const double bytes = 26 + 128 * 1040 + 14 + 15 + 128 * 17 + 15;
    const double line_s = bytes * 11 / 38400;
    const std::string outcome = write.ok ? write.last_status : "FAILED " + write.last_status;
    if (!verify) {
        std::printf("paced phrase write: %s, %.2f s; line time of its frames %.2f s; ratio %.4f\n",
                    outcome.c_str(), write.seconds, line_s, write.seconds / line_s);
        return;
    }
    // The read-back: start (22), 128 blocks (16), end (14); answers: 15, 128 x 1040, 15.
    const double read_bytes = 22 + 128 * 16 + 14 + 15 + 128 * 1040 + 15;
    const double both_s = (bytes + read_bytes) * 11 / 38400;
    std::printf(
        "paced verified phrase write: %s, %.2f s; twice the write's line time %.2f s, ratio "
        "%.4f; line time of both passes' frames %.2f s, ratio %.4f\n",
        outcome.c_str(), write.seconds, 2 * line_s, write.seconds / (2 * line_s), both_s,
        write.seconds / both_s);
}

}  // namespace kotar::bench
