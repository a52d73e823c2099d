#include "qvx_output.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "messages/mes_texts.h"

namespace {

std::string g_command;
bool g_readerGone = false;
bool g_failed = false;

// A write to standard output failed: EPIPE means the reader ended, which ends a run quietly;
// anything else (a full disk) is an error, told once.
void NoteWriteFailure(int err) {
    if (err == EPIPE) {
        g_readerGone = true;
        return;
    }
    if (!g_failed) PrintError(std::string("standard output: ") + std::strerror(err));
    g_failed = true;
}

}  // namespace

const char* CatalogText(int number) {
    if (number < 0 || number >= kMesLiteralCount) return "";
    return kMesTexts[number].english;
}

void SetErrorCommand(const std::string& command) {
    g_command = command;
}

void PrintError(const std::string& what) {
    std::fflush(stdout);  // what went out before the error stays before it
    const std::string line =
        (g_command.empty() ? "qvx: " : "qvx " + g_command + ": ") + what + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

int UsageError(const std::string& what) {
    const std::string help = g_command.empty() ? "qvx --help" : "qvx " + g_command + " --help";
    PrintError(what + " (see '" + help + "')");
    return kExitUsage;
}

bool PrintLine(const std::string& line, bool flush) {
    if (g_readerGone || g_failed) return false;
    errno = 0;
    if (std::fputs(line.c_str(), stdout) < 0 || std::fputc('\n', stdout) == EOF ||
        (flush && std::fflush(stdout) != 0)) {
        NoteWriteFailure(errno != 0 ? errno : EIO);
        return false;
    }
    return true;
}

bool OutputReaderGone() {
    if (g_readerGone) return true;
    // A pipe whose reader has gone reports POLLERR on its write end; a terminal that hung up
    // reports POLLHUP. Files never report either.
    pollfd out{STDOUT_FILENO, 0, 0};
    if (poll(&out, 1, 0) == 1 && (out.revents & (POLLERR | POLLHUP)) != 0) g_readerGone = true;
    return g_readerGone;
}

bool OutputFailed() {
    return g_failed;
}

bool FinishOutput() {
    if (g_readerGone) return true;
    errno = 0;
    if (std::fflush(stdout) != 0) NoteWriteFailure(errno != 0 ? errno : EIO);
    return !g_failed;
}

int PrintHelp(const char* text) {
    std::fputs(text, stdout);
    return FinishOutput() ? kExitDone : kExitUsage;
}
