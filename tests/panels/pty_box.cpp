#include "pty_box.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "support/test_env.h"

PtyBox::PtyBox(const std::string& comDir, int number) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        if (master >= 0) close(master);
        return;
    }
    const char* name = ptsname(master);
    slave_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    // Raw from the start, so the pty does not echo the box's own replies back to it.
    termios tio{};
    if (slave_ >= 0 && tcgetattr(slave_, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slave_, TCSANOW, &tio);
    }
    link_ = comDir + "COM" + std::to_string(number);
    if (symlink(name, link_.c_str()) != 0) {
        close(master);
        return;
    }
    master_ = master;
}

PtyBox::~PtyBox() {
    if (!link_.empty()) unlink(link_.c_str());
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
}

bool PtyBox::Send(const std::string& bytes) {
    return master_ >= 0 &&
           write(master_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

void PtyBox::Drain() {
    char buf[256];
    ssize_t n;
    while (master_ >= 0 && (n = read(master_, buf, sizeof buf)) > 0) {
        received_.append(buf, static_cast<size_t>(n));
    }
}

std::string PtyBox::NextLine(int timeoutMs) {
    size_t nl = std::string::npos;
    WaitFor(
        [&] {
            Drain();
            nl = received_.find('\n');
            return nl != std::string::npos;
        },
        timeoutMs);
    if (nl == std::string::npos) return "";
    std::string line = received_.substr(0, nl);
    received_.erase(0, nl + 1);
    return line;
}

std::string PtyBox::Pending() {
    Drain();
    return received_;
}
