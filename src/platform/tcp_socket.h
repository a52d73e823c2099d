// The thin layer between a network serial port and the socket calls: resolving a host, a TCP
// connection with a time limit, and non-blocking reads and bounded writes on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Resolves host and connects to port, trying each address in turn, all within timeoutMs.
// Returns a non-blocking, close-on-exec socket with TCP_NODELAY set (commands are a few bytes,
// each waiting for its reply), or -1 with errno: the system's reason of the last address tried
// (ECONNREFUSED nothing listening, EHOSTUNREACH, ENETUNREACH, ...), ETIMEDOUT when the time ran
// out, and ENXIO ("No such device or address") when the host name does not resolve.
int TcpConnect(const std::string& host, int port, int timeoutMs);

void TcpClose(int fd);

// Reads at most max bytes without waiting: the number read, 0 when nothing is waiting, -1 when
// the connection has ended (closed by the peer: errno 0; reset or failed: its errno).
int TcpReceive(int fd, uint8_t* bytes, int max);

// Sends all length bytes (never raising SIGPIPE), waiting at most timeoutMs in all for room.
// False with errno (EPIPE, ECONNRESET, ... or ETIMEDOUT) when not every byte went out.
bool TcpSendAll(int fd, const void* bytes, size_t length, int timeoutMs);

// Bytes sent but not yet taken by the peer (SIOCOUTQ); 0 when the call fails.
int TcpBytesQueuedOut(int fd);
