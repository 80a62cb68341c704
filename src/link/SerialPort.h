#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kotar {

// One serial port with the line settings of the device link (38400 baud, 8 data bits, even
// parity, 1 stop bit, no flow control, DTR and RTS dropped). Reads never block.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens the device and applies the line settings; false when either fails.
    virtual bool Open(const std::string& device_path) = 0;
    // Drops DTR and closes; harmless when not open.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Discards everything queued in both directions.
    virtual bool Purge() = 0;
    // Writes all bytes; false on failure.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    // Bytes waiting to be read; -1 once after a parity or framing error (the call clears it);
    // 0 when the port is not open.
    virtual int QueuedCount() = 0;
    // Reads up to buffer.size() queued bytes; returns the count read, 0 when none.
    virtual std::size_t Read(std::span<std::uint8_t> buffer) = 0;
};

// The backend of this platform.
std::unique_ptr<SerialPort> CreateSerialPort();

}  // namespace kotar
