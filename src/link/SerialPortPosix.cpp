// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX backend of the serial port: termios, with line errors noticed through the driver's
// interrupt counters (TIOCGICOUNT) where it keeps them. Received bytes are moved into a queue
// of our own when counted: a read shows bytes as soon as poll() does, FIONREAD only once the
// terminal's buffer work has run, which on a pseudo-terminal is milliseconds later.
#include <fcntl.h>
#include <linux/major.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/ReceiveQueue.h"
#include "link/SerialPort.h"

namespace kotar {
namespace {

// Errors after which the device is not coming back: hung up, unplugged, removed.
bool IsGoneError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE ||
           error == ESHUTDOWN;
}

class SerialPortPosix : public SerialPort {
public:
    ~SerialPortPosix() override { Close(); }

    bool Open(const std::string& device_path) override {
        Close();
        const int fd = ::open(device_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        denied_ = fd < 0 && errno == EACCES;
        if (fd < 0)
            return false;
        // The lock comes before any setting, so a refused second opener never disturbs the
        // holder's line; it belongs to this descriptor and ends with it, also when the process
        // dies. Root passes TIOCEXCL, never the lock.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !Configure(fd)) {
            ::close(fd);
            return false;
        }
        // Other programs that do not lock are kept out by TIOCEXCL. A pseudo-terminal keeps that
        // mark after a holder died for as long as its other side stays open, so there the lock
        // alone guards the port.
        exclusive_mark_ = !IsPseudoTerminal(fd) && ::ioctl(fd, TIOCEXCL) == 0;
        fd_ = fd;
        gone_ = false;
        queue_.Clear();
        counters_supported_ = true;
        ReadErrorCounters(&parity_errors_, &frame_errors_);
        return true;
    }

    void Close() override {
        if (fd_ < 0)
            return;
        int lines = TIOCM_DTR | TIOCM_RTS;
        ::ioctl(fd_, TIOCMBIC, &lines);
        if (exclusive_mark_)
            ::ioctl(fd_, TIOCNXCL);
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }

    bool IsOpen() const override { return fd_ >= 0; }
    bool OpenWasDenied() const override { return denied_; }

    bool Purge() override {
        queue_.Clear();
        if (fd_ < 0)
            return false;
        if (::tcflush(fd_, TCIOFLUSH) == 0)
            return true;
        NoteError(errno);
        return false;
    }

    bool Write(std::span<const std::uint8_t> bytes) override {
        if (fd_ < 0 || gone_)
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
                if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                    gone_ = true;
                    return false;
                }
                continue;
            }
            if (n < 0)
                NoteError(errno);
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
        Drain();
        return queue_.Report();
    }

    std::size_t Read(std::span<std::uint8_t> buffer) override {
        if (fd_ < 0 || buffer.empty())
            return 0;
        return queue_.Read(buffer, [this] { Drain(); });
    }

    WaitResult WaitReadable(int timeout_ms) override {
        if (fd_ < 0 || gone_)
            return WaitResult::Gone;
        if (queue_.HasUnreported())
            return WaitResult::Readable;
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, timeout_ms < 0 ? 0 : timeout_ms);
        if (ready <= 0)
            return WaitResult::Timeout;  // an interrupted wait is a short one
        if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            gone_ = true;
            return WaitResult::Gone;
        }
        return WaitResult::Readable;
    }

private:
    // Moves what the terminal holds into the queue.
    void Drain() {
        while (!gone_) {
            const std::span<std::uint8_t> room = queue_.Room();
            if (room.empty())
                return;
            // With VMIN 0 an empty terminal reads 0 bytes (a pseudo-terminal) or EAGAIN.
            const ssize_t n = ::read(fd_, room.data(), room.size());
            if (n > 0) {
                queue_.Added(static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                NoteError(errno);
            return;
        }
    }

    void NoteError(int error) {
        if (IsGoneError(error))
            gone_ = true;
    }

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
            if (!(errno == EINVAL && IsPseudoTerminal(fd)))
                return false;
        }
        int lines = TIOCM_DTR | TIOCM_RTS;
        ::ioctl(fd, TIOCMBIC, &lines);
        return true;
    }

    static bool IsPseudoTerminal(int fd) {
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode))
            return false;
        const unsigned int device_major = major(info.st_rdev);
        return device_major >= UNIX98_PTY_SLAVE_MAJOR &&
               device_major < UNIX98_PTY_SLAVE_MAJOR + UNIX98_PTY_MAJOR_COUNT;
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
    bool exclusive_mark_ = false;
    bool denied_ = false;
    bool gone_ = false;
    ReceiveQueue queue_;
    int parity_errors_ = 0;
    int frame_errors_ = 0;
    mutable bool counters_supported_ = true;
};

}  // namespace

std::unique_ptr<SerialPort> CreateSerialPort() {
    return std::make_unique<SerialPortPosix>();
}

}  // namespace kotar
