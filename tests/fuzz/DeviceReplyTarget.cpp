// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <array>
#include <memory>

#include "FakeSerialPort.h"
#include "FuzzSupport.h"
#include "FuzzTargets.h"
#include "link/Frame.h"
#include "link/SerialCom.h"

namespace kotar::fuzz {
namespace {

// The scripted line of the tests, except that a wait that would find nothing new finds the
// device gone: a reply that ends early ends the exchange at once instead of after its timeouts.
class EndingPort : public test::FakeSerialPort {
public:
    using FakeSerialPort::FakeSerialPort;
    WaitResult WaitReadable(int) override {
        const WaitResult seen = FakeSerialPort::WaitReadable(0);
        return seen == WaitResult::Timeout ? WaitResult::Gone : seen;
    }
};

enum Operation : std::uint8_t {
    kWriteStart,
    kWriteBlock,
    kWriteEnd,
    kReadStart,
    kReadBlock,
    kReadEnd,
    kTransact,
    kOperations
};

}  // namespace

// The input: an operation byte, a line byte (low four bits: bytes released per poll, 0 for all
// at once; bit 4: a line error once the reader has taken as many bytes as the next byte says),
// that byte, then the device's answers to the requests in turn, each a 16-bit little-endian
// length and its bytes.
void DeviceReplyTarget(Input input) {
    if (input.size() < 3)
        return;
    const auto operation = static_cast<Operation>(input[0] % kOperations);
    auto line = std::make_shared<test::FakeLine>();
    line->bytes_per_poll = input[1] & 0x0F;
    if ((input[1] & 0x10) != 0)
        line->line_error_at_consumed.push_back(input[2]);
    Input rest = input.subspan(3);
    while (!rest.empty()) {
        std::size_t length = rest.size() >= 2 ? GetLe16(rest.data()) : 0;
        rest = rest.subspan(std::min<std::size_t>(2, rest.size()));
        length = std::min(length, rest.size());
        line->script.emplace_back(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(length));
        rest = rest.subspan(length);
    }

    LinkEnvironment environment;
    // A folder that does not exist: the log's lines are composed and then lost, silently.
    environment.log_folder = ScratchFolder() / "no-log";
    environment.make_port = [line] { return std::make_unique<EndingPort>(line); };
    ProfileFile ini(ScratchFolder() / "no.ini");
    environment.ini = &ini;
    SerialCom link(environment);
    Require(link.OpenPort(1), "the scripted port opens");

    std::array<std::uint8_t, kBlockBytes> block{};
    std::array<std::uint8_t, kBlockBytes> sent{};
    sent.fill(0x5A);
    int result = 0;
    switch (operation) {
        case kWriteStart:
            result = link.WriteStart(KIND_PHRASE_WRITE, 0, 131072, 77);
            break;
        case kWriteBlock:
            result = link.WriteBlock(KIND_PROGRAM_WRITE, 7, 1024, sent.data());
            break;
        case kWriteEnd:
            result = link.WriteEnd(KIND_PHRASE_WRITE);
            break;
        case kReadStart:
            result = link.ReadStart(KIND_DATA_READ, 2, 65536);
            break;
        case kReadBlock:
            result = link.ReadBlock(KIND_PHRASE_READ, 3, block);
            break;
        case kReadEnd:
            result = link.ReadEnd(KIND_PHRASE_READ);
            break;
        default:
            link.PrepareRequest(kCmdReadEnd, {});
            result = link.Transact();
            Require(result == TRANSACT_OK || result == TRANSACT_FAILED, "Transact's results");
            break;
    }
    link.ClosePort();

    Require(operation == kTransact || result == TRANSFER_OK || result == TRANSFER_NO_RESPONSE ||
                result == TRANSFER_BAD_RESPONSE,
            "the block operations' results");
    Require(link.attempts() >= 1 && link.attempts() <= kMaxAttempts + 1, "at most six attempts");
    Require(link.response().size() <= kFrameBufferBytes, "the response fits its buffer");
    for (const auto& write : line->writes)
        Require(std::ranges::equal(write, link.request()), "every attempt sends the request");
    if (result != TRANSFER_OK && result != TRANSFER_BAD_RESPONSE)
        return;
    // An answer taken is a whole response to the request: its length field read as the device
    // protocol reads it (the leading digits), ETX after the data and a matching BCC.
    const auto response = link.response();
    Require(response.size() >= kFrameOverheadBytes && response[0] == kStx &&
                response[1] == kResponseMark,
            "a taken answer is a response");
    Require(std::ranges::equal(response.subspan(2, 4), link.request().subspan(2, 4)),
            "a taken answer carries the request's command");
    const auto data_bytes = static_cast<std::size_t>(ParseLengthField(response.subspan(6, 6)));
    Require(response.size() == kFrameOverheadBytes + data_bytes &&
                response[kFrameHeaderBytes + data_bytes] == kEtx &&
                ComputeBcc(response.subspan(1, response.size() - 2)) == response.back(),
            "a taken answer is complete and its BCC holds");
    if (operation == kReadBlock && result == TRANSFER_OK) {
        Require(data_bytes >= 2 + kBlockBytes &&
                    std::ranges::equal(block, response.subspan(kFrameHeaderBytes + 2, kBlockBytes)),
                "the block read is the reply's");
    }
}

}  // namespace kotar::fuzz
