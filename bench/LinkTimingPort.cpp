// SPDX-License-Identifier: GPL-3.0-or-later
// The paced phrase write of link_timing over a port served by a kotar-devsim of its own (started
// with --paced --turnaround, which prints the program's turnaround when it ends), for a build
// that cannot host the simulator itself, such as the Windows build under Wine:
//   link_timing_port --port N [--device PATH] [--verify]
// PATH, when given, is written as the port's [PORTS] entry; otherwise COM<N> is the system's.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "PacedWrite.h"
#include "common/ProfileFile.h"
#include "link/LinkTimer.h"

int main(int argc, char** argv) {
    using namespace kotar;
    int port = 0;
    std::string device;
    bool verify = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--port" && i + 1 < argc) {
            port = std::atoi(argv[++i]);
        } else if (arg == "--device" && i + 1 < argc) {
            device = argv[++i];
        } else if (arg == "--verify") {
            verify = true;
        } else {
            port = 0;
            break;
        }
    }
    if (port <= 0) {
        std::fprintf(stderr, "usage: link_timing_port --port N [--device PATH] [--verify]\n");
        return 2;
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("link_timing_port_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    ProfileFile ini(folder / "MEVAN.INI");
    if (!device.empty())
        ini.WriteString("PORTS", "COM" + std::to_string(port), device);
    LinkEnvironment environment;
    environment.log_folder = folder;
    environment.ini = &ini;
    LinkTimer::Instance().SetTickMs(500);
    const bench::TimedWrite write = bench::TimePhraseWrite(folder, port, environment, verify);
    bench::ReportPacedWrite(write, verify);
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return write.ok ? 0 : 1;
}
