// ReadLine over random byte streams through a real pseudo-terminal: the input is written into
// the master, and a SerialLink that opened the slave as COM1 (a link in a scratch COM port
// folder) reads it line by line until every byte is taken.
//
// The link's clock is a stand-in that moves 25 ms per 1 ms sleep, so that a line that never ends
// costs no real half second; the bytes are all waiting in the slave before ReadLine is called,
// so what it reads does not depend on timing.
//
// Properties: 0 only with a line of 1..1023 bytes without "\n", NUL-terminated in the buffer,
// and exactly the next line of the stream ("\n" ends a line and is not stored, 1023 bytes make
// a line; an empty line or one starting with NUL is no line); the bytes not yet taken stay in
// the driver; a line that is all there is returned before the limit, and one that never ends
// gives 99 no later than the limit plus one sleep step, and in little real time.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "device/SerialLink.h"
#include "fuzz_support.h"
#include "platform/clock.h"

namespace {

constexpr size_t kMaxInput = 2048;  // well inside the pty's 4 KiB line buffer
constexpr uint32_t kStepMs = 25;    // stand-in milliseconds per 1 ms sleep

std::atomic<uint32_t> g_fakeNow{1000};
uint32_t FakeTick() {
    return g_fakeNow.load();
}
void FakeSleep(uint32_t ms) {
    g_fakeNow.fetch_add(ms * kStepMs);
}
const ClockSource kFakeClock{FakeTick, FakeSleep};

int g_master = -1;
SerialLink* g_link = nullptr;

int64_t RealMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int Waiting(int fd) {
    int n = 0;
    return ioctl(fd, FIONREAD, &n) == 0 ? n : -1;
}

void WriteToMaster(const uint8_t* data, size_t size) {
    size_t done = 0;
    const int64_t end = RealMs() + 10000;
    while (done < size) {
        const ssize_t n = write(g_master, data + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        FUZZ_CHECK(RealMs() < end && "the pty master takes no more bytes");
        pollfd pfd{g_master, POLLOUT, 0};
        poll(&pfd, 1, 10);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    FUZZ_CHECK(g_master >= 0 && grantpt(g_master) == 0 && unlockpt(g_master) == 0);
    const char* slave = ptsname(g_master);
    FUZZ_CHECK(slave != nullptr);
    const std::string comDir = FuzzScratchDir() + "com/";
    FUZZ_CHECK(mkdir(comDir.c_str(), 0700) == 0);
    FUZZ_CHECK(symlink(slave, (comDir + "COM1").c_str()) == 0);
    setenv("VANTREL_COM_DIR", comDir.c_str(), 1);

    SetClockSource(&kFakeClock);
    g_link = new SerialLink;
    SerialPortSettings settings;
    settings.portNumber = 1;
    settings.baudRate = 9600;
    FUZZ_CHECK(g_link->Open(settings) != kNoSerialHandle);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > kMaxInput) size = kMaxInput;
    const int slave = g_link->handle();
    g_link->PurgeInput();
    FUZZ_CHECK(Waiting(slave) == 0);
    WriteToMaster(data, size);
    // Bytes written to the master reach the slave a moment later: wait for all of them.
    const int64_t end = RealMs() + 10000;
    while (Waiting(slave) < static_cast<int>(size)) {
        FUZZ_CHECK(RealMs() < end && "the pty did not deliver the bytes");
        usleep(100);
    }
    FUZZ_CHECK(Waiting(slave) == static_cast<int>(size));

    // The buffer is a block of exactly ReadLine's size, so a write past it is caught.
    const std::unique_ptr<char[]> buffer(new char[SerialLink::kLineBufferSize]);
    size_t taken = 0;
    while (taken < size) {
        // The model: the next line of the stream, and whether it ends (with "\n" or 1023 bytes).
        std::string line;
        bool ends = false;
        size_t next = taken;
        while (next < size) {
            const char c = static_cast<char>(data[next++]);
            if (c == '\n') {
                ends = true;
                break;
            }
            line += c;
            if (line.size() == static_cast<size_t>(SerialLink::kMaxLine)) {
                ends = true;
                break;
            }
        }
        const bool isLine = ends && !line.empty() && line[0] != '\0';

        std::memset(buffer.get(), 'x', SerialLink::kLineBufferSize);
        int length = -7;
        const uint32_t fakeStart = g_fakeNow.load();
        const int64_t realStart = RealMs();
        const int result = g_link->ReadLine(buffer.get(), &length);
        const uint32_t fakeSpent = g_fakeNow.load() - fakeStart;
        const int64_t realSpent = RealMs() - realStart;

        FUZZ_CHECK(result == 0 || result == 99);
        if (result == 0) {
            FUZZ_CHECK(length >= 1 && length <= SerialLink::kMaxLine);
            FUZZ_CHECK(std::memchr(buffer.get(), '\n', static_cast<size_t>(length)) == nullptr);
            FUZZ_CHECK(buffer[static_cast<size_t>(length)] == '\0');
        }
        FUZZ_CHECK(result == (isLine ? 0 : 99));
        if (isLine) {
            FUZZ_CHECK(std::string(buffer.get(), static_cast<size_t>(length)) == line);
        }
        if (ends) {
            FUZZ_CHECK(fakeSpent < static_cast<uint32_t>(SerialLink::kLineTimeoutMs));
        } else {
            FUZZ_CHECK(fakeSpent >= static_cast<uint32_t>(SerialLink::kLineTimeoutMs));
            FUZZ_CHECK(fakeSpent <= SerialLink::kLineTimeoutMs + kStepMs);
        }
        FUZZ_CHECK(realSpent < 5000);
        taken = next;
        FUZZ_CHECK(Waiting(slave) == static_cast<int>(size - taken));
    }
    return 0;
}
