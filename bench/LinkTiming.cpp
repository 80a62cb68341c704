// SPDX-License-Identifier: GPL-3.0-or-later
// Timing of the device link, measured against the line and the tick:
//   1. a full phrase write over the paced simulator, against the line time of its frames, and
//      the program's turnaround: from the last byte of an answer to the first of the next request;
//      then the same write verified (read back), against twice the line time of the write;
//   2. a silent device: the number of no-response timeouts and their length in ticks;
//   3. a device that stops inside a long field after trickling it: the silence, in ticks,
//      between its last byte and the timeout;
//   4. a stop pressed while a silent device is awaited: how long until the exchange ends;
//   5. a device pulled in the middle of a phrase write: the time to the failure text.
// Usage: link_timing [--skip-write | --write-only] ; KOTAR_LINK_TICK_MS applies to parts 2 to 5.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "DeviceModel.h"
#include "PacedWrite.h"
#include "PtyDevice.h"
#include "common/ProfileFile.h"
#include "link/Frame.h"
#include "link/LinkTimer.h"
#include "link/SerialCom.h"
#include "ops/PhraseTransfer.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace kotar;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Ms(std::chrono::nanoseconds d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// A phrase write (verified or not) to the device behind its pseudo-terminal, which answers
// from its own thread for the time of the write.
bench::TimedWrite WriteToDevice(const std::filesystem::path& folder, devsim::PtyDevice& device,
                                bool verify) {
    std::string error;
    if (!device.Open(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return {};
    }
    std::FILE* f = std::fopen((folder / "MEVAN.INI").c_str(), "wb");
    std::fprintf(f, "[PORTS]\r\nCOM7=%s\r\n", (folder / "port").c_str());
    std::fclose(f);
    ProfileFile ini(folder / "MEVAN.INI");
    LinkEnvironment environment;
    environment.log_folder = folder;
    environment.ini = &ini;
    std::atomic<bool> stop{false};
    std::thread sim([&] { device.Run(stop); });
    const bench::TimedWrite write = bench::TimePhraseWrite(folder, 7, environment, verify);
    stop = true;
    sim.join();
    return write;
}

void PacedPhraseWrite(const std::filesystem::path& folder, bool verify) {
    devsim::DeviceModel model;
    devsim::PtyDevice device(model, {folder / "port", true, 38400, 11});
    LinkTimer::Instance().SetTickMs(500);
    bench::ReportPacedWrite(WriteToDevice(folder, device, verify), verify);
    if (!verify)
        std::printf("%s\n", device.TurnaroundSummary().c_str());
}

void VanishingDevice(const std::filesystem::path& folder) {
    devsim::DeviceModel model;
    model.AddFault({devsim::DeviceFault::Vanishes, 1, kCmdWriteBlock, 64, 0});
    devsim::PtyDevice device(model, {folder / "port"});
    const bench::TimedWrite write = WriteToDevice(folder, device, false);
    std::printf(
        "device pulled at block 64 of a phrase write (tick %d ms): \"%s\" %.3f ms after the "
        "pull (%.2f s for the whole write)\n",
        LinkTimer::Instance().tick_ms(), write.last_status.c_str(),
        Ms(write.last_status_at - device.vanished_at()), write.seconds);
}

// A port whose answer bytes become readable at chosen moments after each write.
class TimedPort : public SerialPort {
public:
    // answer(n) gives the bytes of the answer to write n and the delay of each byte.
    struct Byte {
        std::uint8_t value;
        Clock::duration after_write;
    };
    std::function<std::vector<Byte>(int)> answer;
    std::vector<Clock::time_point> write_times;
    Clock::time_point last_byte_time{};

    bool Open(const std::string&) override { return open_ = true; }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    bool Purge() override {
        pending_.clear();
        reported_ = 0;
        return true;
    }
    bool Write(std::span<const std::uint8_t>) override {
        const auto now = Clock::now();
        write_times.push_back(now);
        pending_.clear();
        reported_ = 0;
        if (answer) {
            for (const Byte& b : answer(static_cast<int>(write_times.size())))
                pending_.push_back({b.value, now + b.after_write});
        }
        return true;
    }
    int QueuedCount() override {
        const auto now = Clock::now();
        std::size_t n = 0;
        for (const auto& p : pending_) {
            if (p.second > now)
                break;
            ++n;
            last_byte_time = std::max(last_byte_time, p.second);
        }
        reported_ = n;
        return static_cast<int>(n);
    }
    std::size_t Read(std::span<std::uint8_t> buffer) override {
        const std::size_t n =
            std::min<std::size_t>(buffer.size(), static_cast<std::size_t>(QueuedCount()));
        for (std::size_t i = 0; i < n; ++i) {
            buffer[i] = pending_.front().first;
            pending_.pop_front();
        }
        reported_ -= std::min<std::size_t>(n, reported_);
        return n;
    }
    // Sleeps until the next byte not yet counted is due, or the timeout.
    WaitResult WaitReadable(int timeout_ms) override {
        const auto until = Clock::now() + std::chrono::milliseconds(timeout_ms);
        if (reported_ < pending_.size() && pending_[reported_].second <= until) {
            std::this_thread::sleep_until(pending_[reported_].second);
            return WaitResult::Readable;
        }
        std::this_thread::sleep_until(until);
        return WaitResult::Timeout;
    }

private:
    bool open_ = false;
    std::size_t reported_ = 0;
    std::deque<std::pair<std::uint8_t, Clock::time_point>> pending_;
};

void SilentDevice(const std::filesystem::path& folder) {
    auto port = std::make_unique<TimedPort>();
    TimedPort* raw = port.get();
    LinkEnvironment environment;
    environment.log_folder = folder;
    environment.make_port = [&port] { return std::move(port); };
    SerialCom link(environment);
    link.OpenPort(1);
    link.PrepareRequest(kCmdReadEnd, {});
    const int tick = LinkTimer::Instance().tick_ms();
    const auto start = Clock::now();
    const int result = link.Transact();
    const auto end = Clock::now();
    std::printf(
        "silent device (tick %d ms): result %d after %zu requests, %.2f s = %.2f ticks; "
        "per attempt:",
        tick, result, raw->write_times.size(), Seconds(end - start),
        Seconds(end - start) * 1000 / tick);
    for (std::size_t i = 0; i < raw->write_times.size(); ++i) {
        const auto next = i + 1 < raw->write_times.size() ? raw->write_times[i + 1] : end;
        std::printf(" %.2f", Seconds(next - raw->write_times[i]) * 1000 / tick);
    }
    std::printf(" ticks\n");
}

void StopWhileSilent(const std::filesystem::path& folder) {
    auto port = std::make_unique<TimedPort>();
    TimedPort* raw = port.get();
    LinkEnvironment environment;
    environment.log_folder = folder;
    environment.make_port = [&port] { return std::move(port); };
    // The stop comes 1.5 s into the first attempt's wait.
    Clock::time_point stop_at{};
    environment.stop_requested = [&stop_at] {
        return stop_at != Clock::time_point{} && Clock::now() >= stop_at;
    };
    SerialCom link(environment);
    link.OpenPort(1);
    link.PrepareRequest(kCmdWriteBlock, {});
    stop_at = Clock::now() + std::chrono::milliseconds(1500);
    const int result = link.Transact();
    const auto end = Clock::now();
    std::printf(
        "stop while a silent device is awaited: result %d after %zu request(s), ended "
        "%.3f ms after the stop\n",
        result, raw->write_times.size(), Ms(end - stop_at));
}

void StopInField(const std::filesystem::path& folder, std::size_t data_bytes,
                 std::size_t stop_after, int first_byte_after_ms = 0) {
    const int tick = LinkTimer::Instance().tick_ms();
    auto port = std::make_unique<TimedPort>();
    TimedPort* raw = port.get();
    std::vector<std::uint8_t> data(data_bytes, 0x5A);
    const std::vector<std::uint8_t> frame = EncodeFrame(kResponseMark, kCmdReadEnd, data);
    // The first answer trickles one byte per millisecond and stops after stop_after bytes;
    // the second comes whole.
    raw->answer = [&](int n) {
        std::vector<TimedPort::Byte> bytes;
        const std::size_t count = n == 1 ? stop_after : frame.size();
        for (std::size_t i = 0; i < count; ++i) {
            bytes.push_back({frame[i], n == 1 ? std::chrono::milliseconds(first_byte_after_ms +
                                                                          static_cast<int>(i))
                                              : Clock::duration{}});
        }
        return bytes;
    };
    LinkEnvironment environment;
    environment.log_folder = folder;
    environment.make_port = [&port] { return std::move(port); };
    SerialCom link(environment);
    link.OpenPort(1);
    link.PrepareRequest(kCmdReadEnd, {});
    Clock::time_point last_byte{};
    raw->answer = [&, inner = raw->answer](int n) {
        auto bytes = inner(n);
        if (n == 1 && !bytes.empty())
            last_byte = Clock::now() + bytes.back().after_write;
        return bytes;
    };
    const int result = link.Transact();
    const double field_s = static_cast<double>(stop_after) / 1000;
    if (first_byte_after_ms > 0)
        std::printf("(answer begins %d ms after the request) ", first_byte_after_ms);
    const double silence_ticks = Seconds(raw->write_times.at(1) - last_byte) * 1000 / tick;
    std::printf(
        "stop in a %zu-byte data field after %zu bytes trickled over %.2f s (%.1f ticks): "
        "result %d, timeout after %.2f ticks of silence\n",
        data_bytes, stop_after, field_s, field_s * 1000 / tick, result, silence_ticks);
}

}  // namespace

int main(int argc, char** argv) {
    const bool skip_write = argc > 1 && std::strcmp(argv[1], "--skip-write") == 0;
    const bool write_only = argc > 1 && std::strcmp(argv[1], "--write-only") == 0;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("link_timing_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    if (!skip_write)
        PacedPhraseWrite(folder, false);
    if (write_only) {
        std::filesystem::remove_all(folder);
        return 0;
    }
    if (!skip_write)
        PacedPhraseWrite(folder, true);
    LinkTimer::Instance().SetTickMs(
        std::getenv("KOTAR_LINK_TICK_MS") ? std::atoi(std::getenv("KOTAR_LINK_TICK_MS")) : 500);
    VanishingDevice(folder);
    SilentDevice(folder);
    StopWhileSilent(folder);
    StopInField(folder, 2000, 12 + 1500);  // a long field, trickled for longer than 4 ticks
    StopInField(folder, 20, 12 + 5);       // a short one
    StopInField(folder, 0, 7);             // inside the command field
    // The same with the answer starting at other phases of the tick.
    const int tick_ms = LinkTimer::Instance().tick_ms();
    StopInField(folder, 20, 12 + 5, tick_ms / 4);
    StopInField(folder, 20, 12 + 5, tick_ms / 2);
    StopInField(folder, 20, 12 + 5, tick_ms * 9 / 10);
    std::filesystem::remove_all(folder);
    return 0;
}
