// POSIX backend of the serial port: termios, with line errors noticed through the driver's
// interrupt counters (TIOCGICOUNT) where it keeps them.
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "link/SerialPort.h"

namespace kotar {
namespace {

class SerialPortPosix : public SerialPort {
public:
    ~SerialPortPosix() override { Close(); }

    bool Open(const std::string& device_path) override {
        Close();
        const int fd = ::open(device_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return false;
        if (!Configure(fd)) {
            ::close(fd);
            return false;
        }
        fd_ = fd;
        counters_supported_ = true;
        ReadErrorCounters(&parity_errors_, &frame_errors_);
        return true;
    }

    void Close() override {
        if (fd_ < 0)
            return;
        int lines = TIOCM_DTR | TIOCM_RTS;
        ::ioctl(fd_, TIOCMBIC, &lines);
        ::close(fd_);
        fd_ = -1;
    }

    bool IsOpen() const override { return fd_ >= 0; }

    bool Purge() override { return fd_ >= 0 && ::tcflush(fd_, TCIOFLUSH) == 0; }

    bool Write(std::span<const std::uint8_t> bytes) override {
        if (fd_ < 0)
            return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN) {
                // The output queue is full: wait for room, as a blocking write would.
                pollfd p{fd_, POLLOUT, 0};
                if (::poll(&p, 1, 500) <= 0)
                    return false;
                continue;
            }
            return false;
        }
        return true;
    }

    int QueuedCount() override {
        if (fd_ < 0)
            return 0;
        int parity = 0;
        int frame = 0;
        if (ReadErrorCounters(&parity, &frame) &&
            (parity != parity_errors_ || frame != frame_errors_)) {
            parity_errors_ = parity;
            frame_errors_ = frame;
            return -1;
        }
        int queued = 0;
        if (::ioctl(fd_, FIONREAD, &queued) != 0)
            return 0;
        return queued;
    }

    std::size_t Read(std::span<std::uint8_t> buffer) override {
        if (fd_ < 0 || buffer.empty())
            return 0;
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }

private:
    static bool Configure(int fd) {
        termios want{};
        if (::tcgetattr(fd, &want) != 0)
            return false;
        ::cfmakeraw(&want);
        want.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARODD | CRTSCTS | HUPCL);
        want.c_cflag |= CS8 | PARENB | CREAD | CLOCAL;
        want.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | PARMRK | INPCK);
        want.c_cc[VMIN] = 0;
        want.c_cc[VTIME] = 0;
        if (::cfsetispeed(&want, B38400) != 0 || ::cfsetospeed(&want, B38400) != 0)
            return false;
        ::tcflush(fd, TCIOFLUSH);
        if (::tcsetattr(fd, TCSANOW, &want) != 0) {
            // A pseudo-terminal drops PARENB and then refuses a request that changes nothing
            // else; that is success there.
            if (!(errno == EINVAL && ::isatty(fd) && IsPseudoTerminal(fd)))
                return false;
        }
        int lines = TIOCM_DTR | TIOCM_RTS;
        ::ioctl(fd, TIOCMBIC, &lines);
        return true;
    }

    static bool IsPseudoTerminal(int fd) {
        // Pseudo-terminal slaves have no serial driver behind them.
        serial_struct info{};
        return ::ioctl(fd, TIOCGSERIAL, &info) != 0;
    }

    bool ReadErrorCounters(int* parity, int* frame) const {
        if (!counters_supported_)
            return false;
        serial_icounter_struct counts{};
        if (::ioctl(fd_ >= 0 ? fd_ : -1, TIOCGICOUNT, &counts) != 0) {
            counters_supported_ = false;
            return false;
        }
        *parity = counts.parity;
        *frame = counts.frame;
        return true;
    }

    int fd_ = -1;
    int parity_errors_ = 0;
    int frame_errors_ = 0;
    mutable bool counters_supported_ = true;
};

}  // namespace

std::unique_ptr<SerialPort> CreateSerialPort() {
    return std::make_unique<SerialPortPosix>();
}

}  // namespace kotar
