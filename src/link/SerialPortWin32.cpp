// SPDX-License-Identifier: GPL-3.0-or-later
// Windows backend of the serial port: a COM device opened without sharing (so exclusive by
// nature), the device link's DCB, PurgeComm, and ClearCommError for the parity and framing
// errors. Received bytes are moved into a queue of our own whenever they are counted, so the
// driver's buffer is empty while the line is awaited, and a one-byte read with a timeout waits
// for the next new byte (WaitCommEvent would need an overlapped handle for a timeout).
#include <windows.h>

#include <algorithm>
#include <string>

#include "common/WideText.h"
#include "link/ReceiveQueue.h"
#include "link/SerialPort.h"

namespace kotar {
namespace {

constexpr DWORD kDriverQueueBytes = 4096;
constexpr DWORD kLineErrors = CE_RXPARITY | CE_FRAME;
// The read timeout that makes ReadFile return at once with whatever the driver holds.
constexpr DWORD kReadAtOnce = 0;

class SerialPortWin32 : public SerialPort {
public:
    ~SerialPortWin32() override { Close(); }

    bool Open(const std::string& device_path) override {
        Close();
        // No sharing: a second opener, in this process or another, is refused with
        // ERROR_ACCESS_DENIED until this handle is closed (also by the system when we die).
        const std::wstring path = Utf8ToWide(device_path);
        HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        if (!Configure(handle, &found_settings_)) {
            ::CloseHandle(handle);
            return false;
        }
        handle_ = handle;
        path_ = path;
        read_timeout_ms_ = kNoTimeoutSet;
        gone_ = false;
        pending_error_ = false;
        queue_.Clear();
        return SetReadTimeout(kReadAtOnce) || (Close(), false);
    }

    void Close() override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return;
        ::EscapeCommFunction(handle_, CLRDTR);
        ::EscapeCommFunction(handle_, CLRRTS);
        // The port is left as it was found, for the next program that opens it, but with the
        // modem lines down.
        DCB found = found_settings_;
        found.fDtrControl = DTR_CONTROL_DISABLE;
        found.fRtsControl = RTS_CONTROL_DISABLE;
        ::SetCommState(handle_, &found);
        ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

    bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

    bool Purge() override {
        queue_.Clear();
        if (!IsOpen())
            return false;
        if (::PurgeComm(handle_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
            return true;
        CheckLine();
        return false;
    }

    bool Write(std::span<const std::uint8_t> bytes) override {
        if (!IsOpen() || gone_)
            return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD written = 0;
            const DWORD chunk =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 65536));
            if (!::WriteFile(handle_, bytes.data() + done, chunk, &written, nullptr) ||
                written == 0) {
                CheckLine();
                return false;
            }
            done += written;
        }
        return true;
    }

    int QueuedCount() override {
        if (!IsOpen())
            return 0;
        if (CheckLine() || pending_error_) {
            pending_error_ = false;
            return -1;
        }
        Drain();
        return queue_.Report();
    }

    std::size_t Read(std::span<std::uint8_t> buffer) override {
        if (!IsOpen() || buffer.empty())
            return 0;
        return queue_.Read(buffer, [this] { Drain(); });
    }

    WaitResult WaitReadable(int timeout_ms) override {
        if (!IsOpen() || gone_)
            return WaitResult::Gone;
        if (queue_.HasUnreported())
            return WaitResult::Readable;
        if (CheckLine()) {
            pending_error_ = true;
            return WaitResult::Readable;
        }
        if (gone_)
            return WaitResult::Gone;
        // A full queue of counted bytes cannot take the next one; the caller reads first.
        const std::span<std::uint8_t> room = queue_.Room();
        if (room.empty())
            return WaitResult::Timeout;
        const DWORD wait_ms = timeout_ms <= 0 ? kReadAtOnce : static_cast<DWORD>(timeout_ms);
        if (!SetReadTimeout(wait_ms))
            return gone_ ? WaitResult::Gone : WaitResult::Timeout;
        DWORD got = 0;
        const bool read = ::ReadFile(handle_, room.data(), 1, &got, nullptr) != 0;
        if (!read) {
            if (CheckLine())
                pending_error_ = true;
            else
                NoteReadFailure();
        }
        if (got > 0) {
            queue_.Added(got);
            queue_.NoteUnreported();
            return WaitResult::Readable;
        }
        if (!gone_ && !pending_error_ && wait_ms != kReadAtOnce && !DeviceStillThere())
            gone_ = true;
        if (gone_)
            return WaitResult::Gone;
        return pending_error_ ? WaitResult::Readable : WaitResult::Timeout;
    }

private:
    static constexpr DWORD kNoTimeoutSet = MAXDWORD;

    // Moves what the driver holds into the queue, without waiting.
    void Drain() {
        if (gone_ || !SetReadTimeout(kReadAtOnce))
            return;
        for (;;) {
            const std::span<std::uint8_t> room = queue_.Room();
            if (room.empty())
                return;
            DWORD got = 0;
            const auto want = static_cast<DWORD>(room.size());
            if (!::ReadFile(handle_, room.data(), want, &got, nullptr)) {
                if (CheckLine())
                    pending_error_ = true;
                else
                    NoteReadFailure();
                return;
            }
            queue_.Added(got);
            if (got < want)
                return;
        }
    }

    // Clears the driver's error state; true when it held a parity or framing error. A port
    // whose status cannot be read any more (the device was removed) is gone.
    bool CheckLine() {
        DWORD errors = 0;
        COMSTAT status{};
        if (!::ClearCommError(handle_, &errors, &status)) {
            gone_ = true;
            return false;
        }
        return (errors & kLineErrors) != 0;
    }

    // Some drivers (and Wine's pseudo-terminals) let reads of a removed device merely time out;
    // its name is gone from the system then. Another open of a present port is refused (it is
    // ours alone) or, where the system allows it, closed again at once.
    bool DeviceStillThere() const {
        HANDLE probe = ::CreateFileW(path_.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe != INVALID_HANDLE_VALUE) {
            ::CloseHandle(probe);
            return true;
        }
        const DWORD error = ::GetLastError();
        return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
    }

    // A read that failed without a line error: aborted reads (a purge, an error already
    // cleared) leave the port usable, anything else means the device went away.
    void NoteReadFailure() {
        if (::GetLastError() != ERROR_OPERATION_ABORTED)
            gone_ = true;
    }

    // kReadAtOnce: a read returns at once with what is there; otherwise a read waits up to
    // timeout_ms for its bytes. Set only when it changes, as each setting is a driver request.
    bool SetReadTimeout(DWORD timeout_ms) {
        if (timeout_ms == read_timeout_ms_)
            return true;
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = timeout_ms == kReadAtOnce ? MAXDWORD : 0;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = timeout_ms;
        timeouts.WriteTotalTimeoutMultiplier = 0;
        timeouts.WriteTotalTimeoutConstant = 500;
        if (!::SetCommTimeouts(handle_, &timeouts)) {
            read_timeout_ms_ = kNoTimeoutSet;
            CheckLine();
            return false;
        }
        read_timeout_ms_ = timeout_ms;
        return true;
    }

    // Applies the link's settings; *found receives the settings the port had.
    static bool Configure(HANDLE handle, DCB* found) {
        if (!::SetupComm(handle, kDriverQueueBytes, kDriverQueueBytes))
            return false;
        if (!::PurgeComm(handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
            return false;
        *found = DCB{};
        found->DCBlength = sizeof *found;
        if (!::GetCommState(handle, found))
            return false;
        DCB dcb = *found;
        dcb.BaudRate = CBR_38400;
        dcb.ByteSize = 8;
        dcb.Parity = EVENPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = 1;
        dcb.fParity = 1;
        dcb.fOutxCtsFlow = 0;
        dcb.fOutxDsrFlow = 0;
        dcb.fDsrSensitivity = 0;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        dcb.fOutX = 0;
        dcb.fInX = 0;
        dcb.fTXContinueOnXoff = 1;
        dcb.fErrorChar = 0;
        dcb.fNull = 0;
        // After a line error the driver refuses reads until ClearCommError: the error is seen
        // before any byte that followed it.
        dcb.fAbortOnError = 1;
        dcb.XonLim = 512;
        dcb.XoffLim = 512;
        dcb.XonChar = 0x11;
        dcb.XoffChar = 0x13;
        dcb.ErrorChar = 0x00;
        dcb.EofChar = 0x03;
        dcb.EvtChar = 0x02;
        return ::SetCommState(handle, &dcb) != 0;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::wstring path_;
    DCB found_settings_{};
    DWORD read_timeout_ms_ = kNoTimeoutSet;
    bool gone_ = false;
    // A line error noticed by a read or a wait, reported by the next queued count.
    bool pending_error_ = false;
    ReceiveQueue queue_;
};

}  // namespace

std::unique_ptr<SerialPort> CreateSerialPort() {
    return std::make_unique<SerialPortWin32>();
}

}  // namespace kotar
