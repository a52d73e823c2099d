#include "platform/serial_port.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "device/SerialPortSettings.h"
#include "platform/fd_wait.h"

namespace {

struct SpeedPair {
    int bps;
    speed_t constant;
};

constexpr SpeedPair kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

}  // namespace

unsigned SpSpeedConstant(int bitsPerSecond) {
    for (const SpeedPair& s : kSpeeds) {
        if (s.bps == bitsPerSecond) return s.constant;
    }
    return 0;
}

int SpLineSpeed(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return 0;
    const speed_t speed = cfgetispeed(&tio);
    for (const SpeedPair& s : kSpeeds) {
        if (s.constant == speed) return s.bps;
    }
    return 0;
}

int SpOpenExclusive(const char* path) {
    const int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    // The reason stays in errno for the user's message: not a tty, or held by someone else.
    int reason = 0;
    if (!isatty(fd)) {
        reason = ENOTTY;
    } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // flock first: it also stops root, whom TIOCEXCL lets through. "Busy" says more to a
        // user than flock's "would block".
        reason = errno == EWOULDBLOCK ? EBUSY : errno;
    }
    if (reason != 0) {
        close(fd);
        errno = reason;
        return -1;
    }
    ioctl(fd, TIOCEXCL);
    return fd;
}

void SpClose(int fd) {
    if (fd < 0) return;
    // The exclusive mode belongs to the tty, not to this descriptor: when another descriptor of
    // the tty stays open (the simulator holds one of its pty slaves), it would outlive us and
    // lock out the next open.
    ioctl(fd, TIOCNXCL);
    close(fd);
}

void SpApplySettings(termios* tio, const SerialPortSettings& settings) {
    cfmakeraw(tio);
    if (const speed_t speed = SpSpeedConstant(settings.baudRate)) {
        cfsetispeed(tio, speed);
        cfsetospeed(tio, speed);
    }
    tcflag_t size = 0;
    switch (settings.byteSize & 0xFF) {
        case 5:
            size = CS5;
            break;
        case 6:
            size = CS6;
            break;
        case 7:
            size = CS7;
            break;
        case 8:
            size = CS8;
            break;
        default:
            size = tio->c_cflag & CSIZE;
            break;  // not a size the line can take
    }
    tio->c_cflag = (tio->c_cflag & ~CSIZE) | size;
    if (settings.parity == 0) {
        tio->c_cflag &= ~(PARENB | PARODD);
    } else if (settings.parity == 1) {
        tio->c_cflag |= PARENB | PARODD;
    } else {
        tio->c_cflag = (tio->c_cflag | PARENB) & ~PARODD;
    }
    if (settings.stopBits == 1) {
        tio->c_cflag &= ~CSTOPB;
    } else {
        tio->c_cflag |= CSTOPB;
    }
    tio->c_cflag &= ~CRTSCTS;
    tio->c_cflag |= CLOCAL | CREAD;
    tio->c_iflag &= ~(IXON | IXOFF | IXANY);
    // Reads never wait: they are made only when bytes are waiting.
    tio->c_cc[VMIN] = 0;
    tio->c_cc[VTIME] = 0;
}

void SpConfigure(int fd, const SerialPortSettings& settings) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return;
    SpApplySettings(&tio, settings);
    tcsetattr(fd, TCSANOW, &tio);
}

void SpSetModemLines(int fd, bool on) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &lines);
}

int SpBytesWaiting(int fd) {
    int n = 0;
    if (ioctl(fd, FIONREAD, &n) != 0) return 0;
    return n;
}

int SpBytesQueuedOut(int fd) {
    int n = 0;
    if (ioctl(fd, TIOCOUTQ, &n) != 0) return 0;
    return n;
}

void SpFlushInput(int fd) {
    tcflush(fd, TCIFLUSH);
}

int SpRead(int fd, uint8_t* bytes, int max) {
    if (max <= 0) return 0;
    for (;;) {
        const ssize_t n = read(fd, bytes, static_cast<size_t>(max));
        if (n > 0) return static_cast<int>(n);
        if (n < 0 && errno == EINTR) continue;
        return 0;
    }
}

bool SpWriteAll(int fd, const void* bytes, size_t length, int timeoutMs) {
    return WriteAllWithin(fd, bytes, length, timeoutMs, write);
}
