#include "device/SerialLink.h"

#include <cerrno>
#include <cstdint>
#include <mutex>

#include "platform/clock.h"
#include "platform/com_ports.h"
#include "platform/serial_port.h"
#include "platform/tcp_socket.h"

namespace {

std::mutex g_folderMutex;
std::string g_settingsFolder;

}  // namespace

void SerialLink::SetSettingsFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(g_folderMutex);
    g_settingsFolder = folder;
}

std::string SerialLink::SettingsFolder() {
    std::lock_guard<std::mutex> lock(g_folderMutex);
    return g_settingsFolder;
}

SerialHandle SerialLink::Open(const SerialPortSettings& settings) {
    if (settings.portNumber < 1 || settings.portNumber > 255) {
        openError_.store(EINVAL);
        return kNoSerialHandle;
    }
    const std::string folder = SettingsFolder();
    // An adapter plugged in since the launcher started has its link before the port is opened.
    MakeAutomaticComPortLinks(folder);
    const std::string device = ComPortDevice(folder, settings.portNumber);
    const std::string linkText = LinkText(device);
    const bool network = IsNetworkPortText(linkText);
    // Callers close before they open again; should one not, the old descriptor would keep its
    // port locked until the process ends, so it is closed here rather than lost. (The network
    // session is started afresh by its Open, so an open network port is closed first.)
    if (network && network_.load()) Close();
    int fd = kNoSerialHandle;
    if (network) {
        int error = 0;
        fd = net_.Open(linkText, settings, &error);
        if (fd < 0) {
            openError_.store(error != 0 ? error : EIO);
            return kNoSerialHandle;
        }
    } else {
        fd = SpOpenExclusive(device.c_str());
        if (fd < 0) {
            openError_.store(errno != 0 ? errno : EIO);
            return kNoSerialHandle;
        }
        SpConfigure(fd, settings);
        SpSetModemLines(fd, false);  // the open leaves DTR and RTS off
    }
    openError_.store(0);

    const SerialHandle old = handle_.load();
    const bool oldNetwork = network_.load();
    handle_.store(fd);
    network_.store(network);
    if (old != kNoSerialHandle && old != fd) {
        if (oldNetwork) {
            TcpClose(old);
        } else {
            SpClose(old);
        }
    }

    PurgeInput();
    return fd;
}

void SerialLink::Close() {
    const SerialHandle fd = handle_.load();
    if (fd == kNoSerialHandle) return;
    const bool network = network_.load();
    handle_.store(kNoSerialHandle);
    network_.store(false);
    if (network) {
        TcpClose(fd);
    } else {
        SpClose(fd);
    }
}

int SerialLink::ReadableFd() const {
    const SerialHandle fd = handle_.load();
    if (fd == kNoSerialHandle) return -1;
    if (network_.load() && net_.lost()) return -1;
    return fd;
}

int SerialLink::BytesQueuedOut(SerialHandle fd) const {
    return network_.load() ? TcpBytesQueuedOut(fd) : SpBytesQueuedOut(fd);
}

int SerialLink::NextByte() {
    const SerialHandle fd = handle_.load();
    if (fd == kNoSerialHandle) return -1;
    if (inNext_ < inCount_) return inBytes_[inNext_++];
    int got = 0;
    if (network_.load()) {
        // One non-blocking receive: it finds nothing at once when nothing is there.
        got = net_.Receive(fd, inBytes_, kInBytes);
    } else {
        // The port is non-blocking: one read takes what is there, or finds nothing at once.
        got = SpRead(fd, inBytes_, kInBytes);
    }
    if (got <= 0) return -1;
    inNext_ = 1;
    inCount_ = got;
    return inBytes_[0];
}

int SerialLink::ReadByte(char buffer[2]) {
    const int byte = NextByte();
    if (byte < 0) return 1;
    buffer[0] = static_cast<char>(byte);
    buffer[1] = '\0';
    return 0;
}

int SerialLink::Write(const char* bytes, int length, int keepInput) {
    const SerialHandle fd = handle_.load();
    if (fd == kNoSerialHandle) return 99;
    if (keepInput == 0) {
        // Stale input (a late reply, noise) would be taken for the answer to this command.
        char discard[2];
        while (ReadByte(discard) == 0) SleepMs(1);
    }
    if (length < 0) return 1;  // no byte count a write could take
    if (length == 0) return 0;
    const int timeoutMs = kWriteTimeoutConstantMs + kWriteTimeoutPerByteMs * length;
    // A command that did not go out in full within the time-out is a failed write: reporting it
    // as done would leave the caller waiting for a reply to half a command.
    const bool sent = network_.load()
                          ? net_.Send(fd, bytes, length, timeoutMs)
                          : SpWriteAll(fd, bytes, static_cast<size_t>(length), timeoutMs);
    return sent ? 0 : 1;
}

void SerialLink::PurgeInput() {
    const SerialHandle fd = handle_.load();
    if (fd == kNoSerialHandle) return;
    if (network_.load()) {
        net_.PurgeInput(fd);
    } else {
        SpFlushInput(fd);
    }
    inNext_ = inCount_ = 0;
    // Without flow control the output queue drains at the line speed; a wedged adapter would
    // never drain it, so the wait ends after the write time-out constant.
    const uint32_t start = TickCount();
    while (BytesQueuedOut(fd) > 0 && TicksSince(start, TickCount()) < kWriteTimeoutConstantMs) {
        SleepMs(1);
    }
}

int SerialLink::ReadLine(char* buffer, int* length) {
    const uint32_t start = TickCount();
    buffer[0] = '\0';
    *length = 0;
    int count = 0;
    bool complete = false;
    while (!complete && TicksSince(start, TickCount()) < kLineTimeoutMs) {
        // Read as long as bytes wait, without looking at the clock: a steady stream is read to
        // its "\n" (or 1023 bytes) even past the time limit.
        for (;;) {
            const int byte = NextByte();
            if (byte < 0) break;
            if (byte == '\n') {
                complete = true;
                break;
            }
            buffer[count++] = static_cast<char>(byte);
            if (count >= kMaxLine) {
                complete = true;
                break;
            }
        }
        if (!complete) WaitForInput(start);
    }
    // A lone "\n" is no line.
    if (count == 0 || buffer[0] == '\0' || !complete) {
        buffer[0] = '\0';
        return 99;
    }
    buffer[count] = '\0';
    *length = count;
    return 0;
}

void SerialLink::WaitForInput(uint32_t start) {
    const int32_t left = kLineTimeoutMs - TicksSince(start, TickCount());
    if (left <= 0) return;
    pollfd port{ReadableFd(), POLLIN, 0};
    // A closed link (or a network port whose connection has ended) has nothing to wait for but
    // the time limit.
    const int ready = WaitReadable(&port, port.fd < 0 ? 0 : 1, left);
    // A port that hung up (a box unplugged) stays "readable" with nothing to read: pause as a
    // plain 1 ms sleep would rather than spin.
    if (ready > 0 && (port.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) SleepMs(1);
}

void SerialLink::SetModemLines(bool on) {
    const SerialHandle fd = handle_.load();
    if (fd == kNoSerialHandle) return;
    if (network_.load()) {
        net_.SetModemLines(fd, on);
    } else {
        SpSetModemLines(fd, on);
    }
}
