#include "platform/tcp_socket.h"

#include <fcntl.h>
#include <linux/sockios.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/fd_wait.h"

namespace {

// A name lookup that may outlive the caller's wait: the resolver has time-outs of its own
// (seconds per server), longer than a connect may take. The thread that runs getaddrinfo frees
// the result itself when nobody waits for it any more.
struct Lookup {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    int result = 0;       // getaddrinfo's
    int systemError = 0;  // errno with EAI_SYSTEM
    addrinfo* addresses = nullptr;
};

addrinfo Hints(int flags) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    return hints;
}

// The addresses of host, or nullptr with errno set. A numeric address needs no resolver.
addrinfo* Resolve(const std::string& host, int port, int timeoutMs) {
    const std::string service = std::to_string(port);
    const addrinfo numeric = Hints(AI_NUMERICHOST | AI_NUMERICSERV);
    addrinfo* addresses = nullptr;
    if (getaddrinfo(host.c_str(), service.c_str(), &numeric, &addresses) == 0) return addresses;

    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, host, service] {
            const addrinfo hints = Hints(AI_NUMERICSERV | AI_ADDRCONFIG);
            addrinfo* found = nullptr;
            const int result = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
            const int savedErrno = errno;
            std::lock_guard<std::mutex> hold(lookup->mutex);
            if (lookup->abandoned) {
                if (result == 0) freeaddrinfo(found);
                return;
            }
            lookup->result = result;
            lookup->systemError = savedErrno != 0 ? savedErrno : EIO;
            lookup->addresses = result == 0 ? found : nullptr;
            lookup->finished = true;
            lookup->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        errno = EAGAIN;
        return nullptr;
    }
    std::unique_lock<std::mutex> hold(lookup->mutex);
    if (!lookup->done.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                               [&] { return lookup->finished; })) {
        lookup->abandoned = true;
        errno = ETIMEDOUT;
        return nullptr;
    }
    if (lookup->result == 0) return lookup->addresses;
    // A system error keeps its own errno; every other failure (no such name, no address of it,
    // no answer from the name servers) is a host that cannot be found.
    errno = lookup->result == EAI_SYSTEM   ? lookup->systemError
            : lookup->result == EAI_MEMORY ? ENOMEM
                                           : ENXIO;
    return nullptr;
}

// Connects to one address before the deadline: the socket, or -1 with errno.
int ConnectOne(const addrinfo& address, int64_t deadline) {
    const int fd = socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            const int reason = errno;
            close(fd);
            errno = reason;
            return -1;
        }
        for (;;) {
            const int64_t left = deadline - MonotonicMs();
            pollfd pfd{fd, POLLOUT, 0};
            const int r = left > 0 ? poll(&pfd, 1, static_cast<int>(left)) : 0;
            if (r < 0 && errno == EINTR) continue;
            int reason = r == 0 ? ETIMEDOUT : r < 0 ? errno : 0;
            if (r > 0) {
                socklen_t size = sizeof reason;
                if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &reason, &size) != 0) reason = errno;
            }
            if (reason != 0) {
                close(fd);
                errno = reason;
                return -1;
            }
            break;
        }
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    // Data the peer does not acknowledge for this long ends the connection, so that a server
    // that vanished without a word (powered off, cable pulled) is found out by the next writes
    // rather than after the system's quarter of an hour.
    const unsigned int userTimeoutMs = 10000;
    setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
    return fd;
}

ssize_t SendNoSignal(int fd, const void* bytes, size_t length) {
    return send(fd, bytes, length, MSG_NOSIGNAL);
}

}  // namespace

int TcpConnect(const std::string& host, int port, int timeoutMs) {
    const int64_t deadline = MonotonicMs() + timeoutMs;
    addrinfo* addresses = Resolve(host, port, timeoutMs);
    if (!addresses) return -1;
    int fd = -1;
    int reason = ETIMEDOUT;
    for (const addrinfo* a = addresses; a && fd < 0; a = a->ai_next) {
        if (MonotonicMs() >= deadline) {
            reason = ETIMEDOUT;
            break;
        }
        fd = ConnectOne(*a, deadline);
        if (fd < 0) reason = errno;
    }
    freeaddrinfo(addresses);
    if (fd < 0) errno = reason;
    return fd;
}

void TcpClose(int fd) {
    if (fd >= 0) close(fd);
}

int TcpReceive(int fd, uint8_t* bytes, int max) {
    if (max <= 0) return 0;
    for (;;) {
        const ssize_t n = recv(fd, bytes, static_cast<size_t>(max), MSG_DONTWAIT);
        if (n > 0) return static_cast<int>(n);
        if (n == 0) {
            errno = 0;
            return -1;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        return -1;
    }
}

bool TcpSendAll(int fd, const void* bytes, size_t length, int timeoutMs) {
    return WriteAllWithin(fd, bytes, length, timeoutMs, SendNoSignal);
}

int TcpBytesQueuedOut(int fd) {
    int n = 0;
    if (ioctl(fd, SIOCOUTQ, &n) != 0) return 0;
    return n;
}
