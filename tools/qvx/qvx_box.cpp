#include "qvx_box.h"

#include <poll.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "device/identify_box.h"
#include "panels/ReplyLine.h"
#include "platform/clock.h"
#include "qvx_output.h"

namespace {

constexpr int kMessageNoPort = 1;    // "COM setup failed."
constexpr int kMessageNoAnswer = 2;  // "Communication with the QVX box failed."

// Bytes taken from the link per look: a whole reply at once.
constexpr int kReadPerLook = 64;

// Waits at most 1 ms for the port to have input. The serial link never waits for input itself;
// here nothing else is to be done meanwhile, so the wait ends as soon as a byte comes rather
// than after a whole millisecond, which keeps up with a fast line. A port that reports an error
// or a hang-up, or has no descriptor to wait on (closed, or a network port whose connection
// is gone), is simply slept on.
void WaitForInput(const SerialLink& link) {
    pollfd port{link.ReadableFd(), POLLIN, 0};
    if (port.fd < 0 || poll(&port, 1, 1) != 1 || (port.revents & (POLLERR | POLLHUP | POLLNVAL))) {
        SleepMs(1);
    }
}

std::string IdentifiedText(const std::string& deviceName, int baudRate) {
    return deviceName + " " + std::to_string(baudRate);
}

}  // namespace

int BoxSession::Open(const PortChoice& port, const char* expectedDevice, int wrongBoxMessage) {
    label_ = port.label;
    const std::string folder = UseSettingsFolder();
    if (!access_.Prepare(port, folder)) return kExitNoPort;
    const int result = IdentifyBox(link_, port_, access_.com(), TxOnlyOption(folder), deviceName_);
    if (result == kIdentifyNoPort) {
        PrintError(std::string(CatalogText(kMessageNoPort)) + " " +
                   access_.OpenFailureText(link_.LastOpenError()));
        return kExitNoPort;
    }
    access_.Release();
    if (result != kIdentifyFound) {
        link_.Close();
        PrintError(label_ + ": " + CatalogText(kMessageNoAnswer));
        return kExitNoBox;
    }
    if (expectedDevice && deviceName_ != expectedDevice) {
        link_.Close();
        PrintError(label_ + ": " + CatalogText(wrongBoxMessage) + " (" +
                   IdentifiedText(deviceName_, port_.baudRate) + " answered)");
        return kExitNoBox;
    }
    return kExitDone;
}

bool BoxSession::Exchange(const std::string& command, const char* accepted, unsigned limitMs,
                          std::string* reply) {
    if (link_.Write(command.data(), static_cast<int>(command.size()), 0) != 0) return false;
    const uint32_t sent = TickCount();
    ReplyLine line;
    for (;;) {
        if (line.Collect(link_, kReadPerLook)) {
            const char first = line.text()[0];
            if (line.length() > 0 && first != '\0' && std::strchr(accepted, first)) {
                reply->assign(line.text(), static_cast<size_t>(line.length()));
                return true;
            }
            // A line this command does not wait for is passed over; a stream of them does not
            // stretch the limit.
        } else {
            WaitForInput(link_);
        }
        if (TickCount() - sent > limitMs) return false;
    }
}

int SendWithEcho(BoxSession& box, const std::string& command, int echoLength, unsigned limitMs,
                 int noEchoMessage, int badEchoMessage) {
    const char kind = command[0];
    std::string echo;
    if (!box.Exchange(command, std::string(1, kind).c_str(), limitMs, &echo)) {
        PrintError(box.label() + ": " + CatalogText(noEchoMessage) + " (no echo to " +
                   Quoted(command) + " within " + std::to_string(limitMs) + " ms)");
        return kExitNoAnswer;
    }
    if (echo.compare(0, static_cast<size_t>(echoLength), command, 0,
                     static_cast<size_t>(echoLength)) != 0) {
        PrintError(box.label() + ": " + CatalogText(badEchoMessage) + " (sent " + Quoted(command) +
                   ", echo " + Quoted(echo) + ")");
        return kExitNoAnswer;
    }
    return kExitDone;
}

std::string ProbeText(int com, int txOnly) {
    SerialLink link;
    SerialPortSettings port;
    std::string deviceName;
    const int result = IdentifyBox(link, port, com, txOnly, deviceName);
    if (result == kIdentifyNoPort) {
        const int err = link.LastOpenError();
        if (err == EBUSY) return "busy";
        char buffer[256];
        // GNU strerror_r (the probes run side by side): the text, in buffer or not.
        return std::string("cannot open (") + strerror_r(err, buffer, sizeof buffer) + ")";
    }
    if (result != kIdentifyFound) return "no box";
    return IdentifiedText(deviceName, port.baudRate);
}

std::string Quoted(const std::string& line) {
    std::string text = "\"";
    for (const unsigned char c : line) {
        if (c == '\n') continue;
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            text += escaped;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text + "\"";
}
