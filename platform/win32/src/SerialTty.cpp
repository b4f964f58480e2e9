// A serial line over a Linux tty through termios. The port is opened
// exclusively: an advisory lock keeps other programs of this layer out, the
// tty's exclusive mode keeps other ordinary users out, and a table keeps a
// second open in this process out.
#include "Errno.h"
#include "Serial.h"

#include <win32/winbase.h>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <set>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace win32 {
namespace {

std::mutex openLock;
std::set<std::pair<dev_t, ino_t>>& OpenTtys() {
    static auto* open = new std::set<std::pair<dev_t, ino_t>>;
    return *open;
}

struct Rate {
    DWORD baud;
    speed_t speed;
};
const Rate kRates[] = {{50, B50},       {75, B75},         {110, B110},       {134, B134},
                       {150, B150},     {200, B200},       {300, B300},       {600, B600},
                       {1200, B1200},   {1800, B1800},     {2400, B2400},     {4800, B4800},
                       {9600, B9600},   {19200, B19200},   {38400, B38400},   {57600, B57600},
                       {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};

bool SpeedOf(DWORD baud, speed_t& speed) {
    for (const Rate& r : kRates)
        if (r.baud == baud) {
            speed = r.speed;
            return true;
        }
    return false;
}

DWORD BaudOf(speed_t speed) {
    for (const Rate& r : kRates)
        if (r.speed == speed) return r.baud;
    return 0;
}

class TtyLine : public SerialLine {
public:
    TtyLine(int fd, dev_t dev, ino_t ino) : fd_(fd), key_(dev, ino) {}
    ~TtyLine() override {
        {
            std::lock_guard<std::mutex> guard(openLock);
            OpenTtys().erase(key_);
        }
        close(fd_);
    }

    DWORD ReadSettings(DCB& dcb) override {
        termios t{};
        if (tcgetattr(fd_, &t) != 0) return Gone();
        DWORD baud = BaudOf(cfgetospeed(&t));
        if (baud) dcb.BaudRate = baud;
        switch (t.c_cflag & CSIZE) {
        case CS5: dcb.ByteSize = 5; break;
        case CS6: dcb.ByteSize = 6; break;
        case CS7: dcb.ByteSize = 7; break;
        default: dcb.ByteSize = 8; break;
        }
        dcb.Parity = !(t.c_cflag & PARENB) ? NOPARITY : (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
        dcb.fParity = (t.c_cflag & PARENB) ? 1 : 0;
        dcb.StopBits = (t.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
        dcb.fOutxCtsFlow = (t.c_cflag & CRTSCTS) ? 1 : 0;
        if (dcb.fOutxCtsFlow) dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
        else if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fOutX = (t.c_iflag & IXON) ? 1 : 0;
        dcb.fInX = (t.c_iflag & IXOFF) ? 1 : 0;
        dcb.XonChar = static_cast<char>(t.c_cc[VSTART]);
        dcb.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
        dcb.fBinary = 1;
        return ERROR_SUCCESS;
    }

    DWORD ApplySettings(const DCB& dcb) override {
        termios t{};
        if (tcgetattr(fd_, &t) != 0) return Gone();
        speed_t speed;
        if (!SpeedOf(dcb.BaudRate, speed)) return ERROR_INVALID_PARAMETER;
        if (dcb.Parity == MARKPARITY || dcb.Parity == SPACEPARITY) return ERROR_INVALID_PARAMETER;
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
        t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
        t.c_cflag |= dcb.ByteSize == 5 ? CS5 : dcb.ByteSize == 6 ? CS6 : dcb.ByteSize == 7 ? CS7 : CS8;
        if (dcb.Parity == ODDPARITY) t.c_cflag |= PARENB | PARODD;
        if (dcb.Parity == EVENPARITY) t.c_cflag |= PARENB;
        if (dcb.StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;
        if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) t.c_cflag |= CRTSCTS;
        t.c_iflag &= ~(IXON | IXOFF | IXANY);
        if (dcb.fOutX) t.c_iflag |= IXON;
        if (dcb.fInX) t.c_iflag |= IXOFF;
        t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
        t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
        if (tcsetattr(fd_, TCSANOW, &t) != 0) return ErrorFromErrno(errno);
        // DTR and RTS as asked; lines without modem signals (pseudo-terminals) ignore it.
        int dtr = TIOCM_DTR, rts = TIOCM_RTS;
        ioctl(fd_, dcb.fDtrControl == DTR_CONTROL_DISABLE ? TIOCMBIC : TIOCMBIS, &dtr);
        if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE)
            ioctl(fd_, dcb.fRtsControl == RTS_CONTROL_DISABLE ? TIOCMBIC : TIOCMBIS, &rts);
        return ERROR_SUCCESS;
    }

    DWORD Purge(DWORD flags) override {
        if (HungUp()) return Gone();
        int which = -1;
        if ((flags & PURGE_TXCLEAR) && (flags & PURGE_RXCLEAR)) which = TCIOFLUSH;
        else if (flags & PURGE_TXCLEAR) which = TCOFLUSH;
        else if (flags & PURGE_RXCLEAR) which = TCIFLUSH;
        if (which >= 0 && tcflush(fd_, which) != 0) return ErrorFromErrno(errno);
        return ERROR_SUCCESS;
    }

    DWORD Queues(DWORD& in, DWORD& out) override {
        int n = 0;
        if (ioctl(fd_, FIONREAD, &n) != 0) return Gone();
        in = static_cast<DWORD>(n);
        n = 0;
        if (ioctl(fd_, TIOCOUTQ, &n) != 0) n = 0;
        out = static_cast<DWORD>(n);
        // Bytes still queued can be read even after the far end went away.
        if (in == 0 && HungUp()) return Gone();
        return ERROR_SUCCESS;
    }

    DWORD ReadNow(void* buffer, DWORD size, DWORD& done) override {
        done = 0;
        ssize_t n = read(fd_, buffer, size);
        if (n > 0) done = static_cast<DWORD>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR) return Gone();
        return ERROR_SUCCESS;
    }

    DWORD WriteNow(const void* buffer, DWORD size, DWORD& done) override {
        done = 0;
        ssize_t n = write(fd_, buffer, size);
        if (n > 0) done = static_cast<DWORD>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR) return Gone();
        return ERROR_SUCCESS;
    }

    void Idle() override {
        pollfd p{fd_, POLLIN, 0};
        poll(&p, 1, 1);
    }

    DWORD Drain() override { return tcdrain(fd_) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno); }

    DWORD Escape(DWORD function) override {
        int bit = 0;
        switch (function) {
        case SETDTR: bit = TIOCM_DTR; return ioctl(fd_, TIOCMBIS, &bit), ERROR_SUCCESS;
        case CLRDTR: bit = TIOCM_DTR; return ioctl(fd_, TIOCMBIC, &bit), ERROR_SUCCESS;
        case SETRTS: bit = TIOCM_RTS; return ioctl(fd_, TIOCMBIS, &bit), ERROR_SUCCESS;
        case CLRRTS: bit = TIOCM_RTS; return ioctl(fd_, TIOCMBIC, &bit), ERROR_SUCCESS;
        case SETBREAK: return ioctl(fd_, TIOCSBRK) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno);
        case CLRBREAK: return ioctl(fd_, TIOCCBRK) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno);
        case SETXOFF: return tcflow(fd_, TCOOFF) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno);
        case SETXON: return tcflow(fd_, TCOON) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno);
        default: return ERROR_INVALID_PARAMETER;
        }
    }

    DWORD ModemStatus(DWORD& status) override {
        int bits = 0;
        status = 0;
        if (ioctl(fd_, TIOCMGET, &bits) != 0) {
            // Pseudo-terminals have no modem lines: report a ready line.
            status = MS_CTS_ON | MS_DSR_ON;
            return HungUp() ? Gone() : ERROR_SUCCESS;
        }
        if (bits & TIOCM_CTS) status |= MS_CTS_ON;
        if (bits & TIOCM_DSR) status |= MS_DSR_ON;
        if (bits & TIOCM_RI) status |= MS_RING_ON;
        if (bits & TIOCM_CD) status |= MS_RLSD_ON;
        return ERROR_SUCCESS;
    }

private:
    bool HungUp() {
        pollfd p{fd_, POLLIN, 0};
        return poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) &&
               !(p.revents & POLLIN);
    }
    // What Windows reports for a port whose device has gone (an unplugged adapter).
    static DWORD Gone() { return ERROR_BAD_COMMAND; }

    int fd_;
    std::pair<dev_t, ino_t> key_;
};

} // namespace

DWORD OpenTtyLine(const std::string& path, std::unique_ptr<SerialLine>& line) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ERROR_FILE_NOT_FOUND : ErrorFromErrno(errno);
    struct stat st;
    if (fstat(fd, &st) != 0 || !isatty(fd)) {
        close(fd);
        return ERROR_FILE_NOT_FOUND;
    }
    std::lock_guard<std::mutex> guard(openLock);
    if (OpenTtys().count({st.st_rdev, st.st_ino}) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return ERROR_ACCESS_DENIED; // held by another program or handle
    }
    ioctl(fd, TIOCEXCL);
    termios t{};
    if (tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        t.c_cflag |= CLOCAL | CREAD;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &t);
    }
    OpenTtys().insert({st.st_rdev, st.st_ino});
    line = std::make_unique<TtyLine>(fd, st.st_rdev, st.st_ino);
    return ERROR_SUCCESS;
}

} // namespace win32
