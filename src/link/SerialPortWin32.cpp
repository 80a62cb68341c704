// Windows backend of the serial port: a COM device opened without sharing (so exclusive by
// nature), the device link's DCB, port buffers and timeouts, PurgeComm, and ClearCommError for
// the queued count and the parity and framing errors.
#include <windows.h>

#include <algorithm>

#include "common/WideText.h"
#include "link/SerialPort.h"

namespace kotar {
namespace {

constexpr DWORD kQueueBytes = 4096;
constexpr DWORD kLineErrors = CE_RXPARITY | CE_FRAME;

class SerialPortWin32 : public SerialPort {
public:
    ~SerialPortWin32() override { Close(); }

    bool Open(const std::string& device_path) override {
        Close();
        HANDLE handle = ::CreateFileW(Utf8ToWide(device_path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        if (!Configure(handle)) {
            ::CloseHandle(handle);
            return false;
        }
        handle_ = handle;
        pending_error_ = false;
        return true;
    }

    void Close() override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return;
        ::SetCommMask(handle_, 0);
        ::EscapeCommFunction(handle_, CLRDTR);
        ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

    bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

    bool Purge() override {
        return IsOpen() &&
               ::PurgeComm(handle_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    }

    bool Write(std::span<const std::uint8_t> bytes) override {
        if (!IsOpen())
            return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD written = 0;
            const DWORD chunk =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 65536));
            if (!::WriteFile(handle_, bytes.data() + done, chunk, &written, nullptr) ||
                written == 0)
                return false;
            done += written;
        }
        return true;
    }

    int QueuedCount() override {
        if (!IsOpen())
            return 0;
        DWORD queued = 0;
        const bool line_error = Poll(&queued);
        if (line_error || pending_error_) {
            pending_error_ = false;
            return -1;
        }
        return static_cast<int>(queued);
    }

    std::size_t Read(std::span<std::uint8_t> buffer) override {
        if (!IsOpen() || buffer.empty())
            return 0;
        // Only what is queued is asked for, so the read never waits for the line.
        DWORD queued = 0;
        if (Poll(&queued))
            pending_error_ = true;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), queued));
        if (want == 0)
            return 0;
        DWORD got = 0;
        if (!::ReadFile(handle_, buffer.data(), want, &got, nullptr))
            return 0;
        return got;
    }

private:
    // The driver's input count; true when a parity or framing error was noticed (the call
    // clears it).
    bool Poll(DWORD* queued) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!::ClearCommError(handle_, &errors, &status)) {
            *queued = 0;
            return false;
        }
        *queued = status.cbInQue;
        return (errors & kLineErrors) != 0;
    }

    static bool Configure(HANDLE handle) {
        if (!::SetupComm(handle, kQueueBytes, kQueueBytes))
            return false;
        if (!::PurgeComm(handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
            return false;
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!::GetCommState(handle, &dcb))
            return false;
        dcb.BaudRate = CBR_38400;
        dcb.ByteSize = 8;
        dcb.Parity = EVENPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = 1;
        dcb.fParity = 1;
        dcb.fOutxCtsFlow = 0;
        dcb.fOutxDsrFlow = 0;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        dcb.fOutX = 0;
        dcb.fInX = 0;
        dcb.fTXContinueOnXoff = 1;
        dcb.fErrorChar = 0;
        dcb.fNull = 0;
        dcb.fAbortOnError = 1;
        dcb.XonLim = 512;
        dcb.XoffLim = 512;
        dcb.XonChar = 0x11;
        dcb.XoffChar = 0x13;
        dcb.ErrorChar = 0x00;
        dcb.EofChar = 0x03;
        dcb.EvtChar = 0x02;
        if (!::SetCommState(handle, &dcb))
            return false;
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = 500;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = 500;
        timeouts.WriteTotalTimeoutMultiplier = 0;
        timeouts.WriteTotalTimeoutConstant = 500;
        return ::SetCommTimeouts(handle, &timeouts) != 0;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    // A line error noticed by a read, reported by the next queued count.
    bool pending_error_ = false;
};

}  // namespace

std::unique_ptr<SerialPort> CreateSerialPort() {
    return std::make_unique<SerialPortWin32>();
}

}  // namespace kotar
