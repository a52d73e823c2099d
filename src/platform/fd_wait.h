// Bounded waits on a non-blocking descriptor, shared by the tty and the TCP layers.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

// Milliseconds of the monotonic clock (the real one: these waits are made with poll()).
int64_t MonotonicMs();

// Writes all length bytes with writeOnce (write(2), or send(2) without SIGPIPE), waiting at most
// timeoutMs in all for the descriptor to take more. True when every byte went out; false with
// errno set on an error (EIO of a device that went away, EPIPE or ECONNRESET of a connection
// that ended, a hang-up) or ETIMEDOUT when the time ran out first.
using WriteOnce = ssize_t (*)(int fd, const void* bytes, size_t length);
bool WriteAllWithin(int fd, const void* bytes, size_t length, int timeoutMs, WriteOnce writeOnce);

// Waits at most timeoutMs (0: not at all) until fd is readable, has ended or failed. True then.
bool WaitReadable(int fd, int timeoutMs);
