// SPDX-License-Identifier: GPL-3.0-or-later
// kotar-devsim: the notification device on a pseudo-terminal, for tests, demos and training.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DeviceModel.h"
#include "PtyDevice.h"
#include "common/ProgramVersion.h"

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) {
    g_stop.store(true);
}

void PrintHelp(std::FILE* out) {
    std::fprintf(out,
                 "Usage: kotar-devsim --link PATH [OPTION]...\n"
                 "\n"
                 "Answers as the notification device on a pseudo-terminal whose slave is\n"
                 "reachable as PATH (name it in MEVAN.INI: [PORTS] COM<n>=PATH). Memory reads\n"
                 "0xFF where unwritten; the data area 0x60000 holds \"DEVSIM DATA BLOCK nnn\"\n"
                 "blocks. Runs until interrupted.\n"
                 "\n"
                 "  --link PATH      where the pseudo-terminal is reachable (a symbolic link)\n"
                 "  --paced          each byte takes its line time (38400 baud, 11 bits)\n"
                 "  --turnaround     on exit, print the program's turnaround: from the last\n"
                 "                   byte of an answer to the first byte of the next request\n"
                 "  --memory-dump F  on exit, write the whole 1 MiB memory to file F\n"
                 "  --fault NAME     what the device does wrong; the options after it narrow it:\n"
                 "      silent           answers nothing\n"
                 "      xxxx             answers with the command field XXXX\n"
                 "      undefined        answers with data UNDEFINED\n"
                 "      bad-bcc          answers with a wrong BCC\n"
                 "      wrong-block      a block reply carries the next block number\n"
                 "      block-error      a write-block reply carries result byte 1\n"
                 "      refuse-checksum  the write-end reply carries result byte 1\n"
                 "      noise            sends bytes that are no frame before its answer\n"
                 "      other-command    answers with another command code\n"
                 "      stop-mid-frame   sends part of its answer, then nothing\n"
                 "      vanish           is unplugged on receiving the request: the\n"
                 "                       pseudo-terminal hangs up and PATH goes away\n"
                 "      corrupt-byte     takes a written image (its checksum is right) but\n"
                 "                       stores the byte at --offset of it with bit 0 flipped\n"
                 "  --times N        the fault hits the first N matching requests (default: all)\n"
                 "  --command CODE   only requests with this command code (9000-9012)\n"
                 "  --block B        only the block requests for block B\n"
                 "  --cut-at N       stop-mid-frame: bytes sent before stopping\n"
                 "  --offset N       corrupt-byte: offset of the byte in the written area\n"
                 "  --corrupt-byte N the same as --fault corrupt-byte --offset N\n"
                 "  --help           show this text\n"
                 "  --version        show the version and the licence\n");
}

bool ParseNumber(const char* text, int* value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < 0 || v > 1000000)
        return false;
    *value = static_cast<int>(v);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kotar::devsim;
    PtyDevice::Options options;
    std::vector<FaultRule> rules;
    std::string dump_path;
    bool turnaround = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintHelp(stdout);
            return 0;
        }
        if (arg == "--version") {
            std::fputs(kotar::VersionNotice("kotar-devsim").c_str(), stdout);
            return 0;
        }
        if (arg == "--paced") {
            options.paced = true;
            continue;
        }
        if (arg == "--turnaround") {
            turnaround = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "kotar-devsim: %s needs a value\n", arg.c_str());
            return 2;
        }
        const char* value = argv[++i];
        int number = 0;
        if (arg == "--link") {
            options.link = value;
        } else if (arg == "--memory-dump") {
            dump_path = value;
        } else if (arg == "--fault") {
            FaultRule rule;
            if (!ParseFaultName(value, &rule.fault)) {
                std::fprintf(stderr, "kotar-devsim: unknown fault '%s'\n", value);
                return 2;
            }
            rules.push_back(rule);
        } else if (arg == "--corrupt-byte") {
            if (!ParseNumber(value, &number)) {
                std::fprintf(stderr, "kotar-devsim: %s needs a number\n", arg.c_str());
                return 2;
            }
            rules.push_back({DeviceFault::CorruptsStoredByte, 0, 0, 0, 0, number});
        } else if (arg == "--times" || arg == "--command" || arg == "--block" ||
                   arg == "--cut-at" || arg == "--offset") {
            if (rules.empty() || !ParseNumber(value, &number)) {
                std::fprintf(stderr, "kotar-devsim: %s needs a number after a --fault\n",
                             arg.c_str());
                return 2;
            }
            FaultRule& rule = rules.back();
            if (arg == "--times")
                rule.times = number;
            if (arg == "--command")
                rule.command = number;
            if (arg == "--block")
                rule.block = number;
            if (arg == "--cut-at")
                rule.cut_at_bytes = number;
            if (arg == "--offset")
                rule.offset = number;
        } else {
            std::fprintf(stderr, "kotar-devsim: unknown option %s\n", arg.c_str());
            return 2;
        }
    }
    if (options.link.empty()) {
        PrintHelp(stderr);
        return 2;
    }
    DeviceModel model;
    for (const FaultRule& rule : rules)
        model.AddFault(rule);
    PtyDevice device(model, options);
    std::string error;
    if (!device.Open(&error)) {
        std::fprintf(stderr, "kotar-devsim: %s\n", error.c_str());
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::printf("kotar-devsim: %s -> %s\n", options.link.c_str(), device.slave_path().c_str());
    std::fflush(stdout);
    device.Run(g_stop);
    if (turnaround)
        std::printf("kotar-devsim: %s\n", device.TurnaroundSummary().c_str());
    if (!dump_path.empty()) {
        const auto memory = model.Memory(0, DeviceModel::kMemoryBytes);
        std::FILE* dump = std::fopen(dump_path.c_str(), "wb");
        if (dump == nullptr ||
            std::fwrite(memory.data(), 1, memory.size(), dump) != memory.size() ||
            std::fclose(dump) != 0) {
            std::fprintf(stderr, "kotar-devsim: cannot write %s\n", dump_path.c_str());
            return 1;
        }
    }
    return 0;
}
