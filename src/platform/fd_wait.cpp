#include "platform/fd_wait.h"

#include <poll.h>

#include <cerrno>
#include <chrono>

int64_t MonotonicMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool WriteAllWithin(int fd, const void* bytes, size_t length, int timeoutMs, WriteOnce writeOnce) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    const int64_t end = MonotonicMs() + timeoutMs;
    while (length > 0) {
        const ssize_t n = writeOnce(fd, p, length);
        if (n > 0) {
            p += n;
            length -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
        // The driver's buffer is full: wait for room, but never past the time-out.
        const int64_t left = end - MonotonicMs();
        if (left <= 0) {
            errno = ETIMEDOUT;
            return false;
        }
        pollfd pfd{fd, POLLOUT, 0};
        const int r = poll(&pfd, 1, static_cast<int>(left));
        if (r < 0 && errno != EINTR) return false;
        if (r > 0 && (pfd.revents & (POLLERR | POLLHUP | POLLNVAL))) {
            errno = EIO;
            return false;
        }
    }
    return true;
}

bool WaitReadable(int fd, int timeoutMs) {
    pollfd pfd{fd, POLLIN, 0};
    for (;;) {
        const int r = poll(&pfd, 1, timeoutMs < 0 ? 0 : timeoutMs);
        if (r > 0) return true;
        if (r == 0) return false;
        if (errno != EINTR) return true;  // a failing descriptor: the read will tell
    }
}
