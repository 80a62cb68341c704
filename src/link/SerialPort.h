// SPDX-License-Identifier: GPL-3.0-or-later
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
    // What WaitReadable saw.
    enum class WaitResult {
        Readable,  // bytes (or a line error) arrived that QueuedCount has not reported yet
        Timeout,   // nothing new within the time
        Gone,      // the device hung up, failed with an I/O error or was removed; for good
    };

    virtual ~SerialPort() = default;

    // Opens the device for this process alone and applies the line settings; false when the
    // device is missing, already open elsewhere, or refuses the settings.
    virtual bool Open(const std::string& device_path) = 0;
    // Drops DTR, gives up the exclusive hold and closes; harmless when not open.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // True when the last Open failed because the user may not open the device (on Linux
    // typically a question of membership in the group that owns serial ports).
    virtual bool OpenWasDenied() const { return false; }
    // Discards everything queued in both directions.
    virtual bool Purge() = 0;
    // Writes all bytes; false on failure.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    // Bytes waiting to be read; -1 once after a parity or framing error (the call clears it);
    // 0 when the port is not open.
    virtual int QueuedCount() = 0;
    // Reads up to buffer.size() queued bytes; returns the count read, 0 when none.
    virtual std::size_t Read(std::span<std::uint8_t> buffer) = 0;
    // Blocks until something arrives that QueuedCount has not reported yet, the device is
    // found gone, or timeout_ms (0: only look) has passed; bytes that QueuedCount has already
    // counted do not end the wait. Once a call has answered Gone, every later call does, at once.
    // Not open: Gone.
    virtual WaitResult WaitReadable(int timeout_ms) = 0;
};

// The backend of this platform.
std::unique_ptr<SerialPort> CreateSerialPort();

}  // namespace kotar
