// qvx-boxsim: plays QVX converter boxes on pseudo-terminals, for tests and demonstrations.
// See Usage() below (or run with --help) for everything it does.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "SimBox.h"
#include "platform/serial_port.h"

namespace {

const char kUsage[] = R"(usage: qvx-boxsim [options] --box BOX [--box BOX ...]

Plays QVX converter boxes on pseudo-terminals. Each box gets a pty; the link named for it
(COMn in a COM port folder) points at the pty's slave side, so a program opens the box like a
real port. A box answers only when the other side has set the line to the box's speed.

BOX: KIND[,key=value...]
  KIND            ad (A/D, 8 analog inputs), da (D/A, 1 output), io (8 outputs, 8 inputs)
  speed=N         line speed in bit/s (default 9600)
  com=N           make the link COMn in the COM port folder (see --com-dir)
  link=PATH       make the link at PATH instead
  fail=MODE       none | silent (answer nothing) | silent-after:N (answer N commands, then
                  nothing) | bad-echo (wrong echo to P and O commands) | close-after:N
                  (answer N commands; on the next one close the pty and remove the link, as
                  an unplugged box)
  volts=V0/V1/... A/D input voltages in volts (up to 8 values; default 0)
  in=HH           I/O input image in hex (default 00)
  demo=MS         keep changing: an io box walks one set input bit every MS ms, an ad box
                  moves its inputs along slow waves (updated every MS ms)

Commands the boxes answer (every command and reply ends in "\n"):
  any   ""      -> "?"        the presence probe; any command a box does not know gets "?"
  io    "I"     -> "Ihh"      the input image
  ad    "Un"    -> "Unhhh"    input n (0..7) read in the 0..20 V range
  ad    "Bn"    -> "Bnhhh"    input n read in the -10..10 V range
  da    "Phhhh" -> "Phhhh"    set the output code (echo)
  io    "Ohh"   -> "Ohh"      set the outputs (echo)
  io    "Whh"   -> nothing    set the interrupt mask; whenever a masked input changes the box
                              sends "Whh" with the whole input image
  So a D/A box answers the type queries "I" and "U0" with "?".

Options:
  --com-dir DIR     the COM port folder for com=N (default $VANTREL_COM_DIR)
  --log FILE        log every line received and sent, with a millisecond time stamp, to FILE
                    (default: standard error); --quiet logs nothing
  --ready           print "ready" on standard output once every link exists
  --ready-file FILE write "ready" to FILE once every link exists
  --control PATH    make a FIFO at PATH and take control lines from it ("-": standard input)
  --at MS:LINE      run the control line LINE MS milliseconds after start (repeatable)
  --every MS:LINE   run the control line LINE every MS milliseconds (repeatable)
  --help            this text

Control lines (apply to every box of the kind; "#N " in front picks box N, counted from 0):
  ad CH VOLTS       set A/D input CH (0..7) to VOLTS
  io-in HH          set the I/O input image (hex, "0x" optional)
  io-bit N 0|1      set one I/O input
  io-walk           move the set input bits one place up (00 becomes 01)
  fail MODE         change the failure mode (counts start again)
  unplug            close the pty and remove the link
  plug              after unplug: a new pty and the link again
  quit              end (as SIGINT and SIGTERM do); the links are removed

A link already there is replaced only when it dangles. The simulator keeps serving while the
other side closes and reopens the port.
)";

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

FILE* g_log = stderr;

void Log(const std::string& what) {
    if (!g_log) return;
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    const int ms =
        static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm tm{};
    localtime_r(&t, &tm);
    std::fprintf(g_log, "%02d:%02d:%02d.%03d %s\n", tm.tm_hour, tm.tm_min, tm.tm_sec, ms,
                 what.c_str());
    std::fflush(g_log);
}

// A line as it can be printed: quoted, with unprintable bytes as \xHH.
std::string Quoted(const std::string& s) {
    std::string out = "\"";
    for (const unsigned char c : s) {
        if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

struct Box {
    explicit Box(BoxKind k) : sim(k) {}
    SimBox sim;
    int index = 0;
    int speed = 9600;
    std::string link;
    int demoMs = 0;
    int64_t nextDemo = 0;
    int demoStep = 0;
    int master = -1;
    int slave = -1;  // kept open so the pty never hangs up while the port is closed
    std::string slavePath;
    std::string pending;  // bytes of a command line not yet complete
    std::string tag;

    bool plugged() const { return master >= 0; }
};

struct Timed {
    int64_t at;
    int every;  // 0: once
    std::string line;
};

volatile sig_atomic_t g_stop = 0;
int g_wakePipe[2] = {-1, -1};

void OnSignal(int) {
    g_stop = 1;
    const char c = 's';
    [[maybe_unused]] ssize_t n = write(g_wakePipe[1], &c, 1);
}

bool Plug(Box& box) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        if (master >= 0) close(master);
        Log(box.tag + " ** cannot make a pty: " + std::strerror(errno));
        return false;
    }
    const char* name = ptsname(master);
    box.slavePath = name ? name : "";
    box.slave = open(box.slavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (box.slave < 0) {
        close(master);
        Log(box.tag + " ** cannot open " + box.slavePath);
        return false;
    }
    // Raw from the start: with the pty's default echo the box's replies would come back to it.
    termios tio{};
    if (tcgetattr(box.slave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(box.slave, TCSANOW, &tio);
    }
    box.master = master;
    box.pending.clear();

    struct stat st {};
    if (lstat(box.link.c_str(), &st) == 0) {
        struct stat target {};
        if (!S_ISLNK(st.st_mode) || stat(box.link.c_str(), &target) == 0) {
            Log(box.tag + " ** " + box.link + " exists and is in use; not replaced");
            return false;
        }
        unlink(box.link.c_str());  // a dangling link left by an earlier run
    }
    if (symlink(box.slavePath.c_str(), box.link.c_str()) != 0) {
        Log(box.tag + " ** cannot make the link " + box.link + ": " + std::strerror(errno));
        return false;
    }
    Log(box.tag + " plugged: " + box.link + " -> " + box.slavePath + " at " +
        std::to_string(box.speed) + " bit/s");
    return true;
}

void RemoveLink(const Box& box) {
    char buf[4096];
    const ssize_t n = readlink(box.link.c_str(), buf, sizeof buf - 1);
    if (n > 0 && std::string(buf, static_cast<size_t>(n)) == box.slavePath) {
        unlink(box.link.c_str());
    }
}

void Unplug(Box& box) {
    if (!box.plugged()) return;
    RemoveLink(box);
    close(box.master);
    close(box.slave);
    box.master = box.slave = -1;
    Log(box.tag + " unplugged");
}

void Send(Box& box, const std::string& reply) {
    if (!box.plugged()) return;
    const std::string bytes = reply + "\n";
    const ssize_t n = write(box.master, bytes.data(), bytes.size());
    if (n == static_cast<ssize_t>(bytes.size())) {
        Log(box.tag + " tx " + Quoted(reply));
    } else {
        Log(box.tag + " ** tx " + Quoted(reply) + " dropped (nobody reads)");
    }
}

void SetInputs(Box& box, uint32_t image) {
    const std::string report = box.sim.SetInputs(image);
    if (!report.empty()) Send(box, report);
}

void Receive(Box& box) {
    char buf[512];
    const ssize_t n = read(box.master, buf, sizeof buf);
    if (n <= 0) return;
    const int lineSpeed = SpLineSpeed(box.master);
    if (lineSpeed != box.speed) {
        // At another speed the box sees only noise and answers nothing.
        Log(box.tag + " ** " + std::to_string(n) + " byte(s) at " + std::to_string(lineSpeed) +
            " bit/s ignored " + Quoted(std::string(buf, static_cast<size_t>(n))));
        box.pending.clear();
        return;
    }
    for (ssize_t i = 0; i < n; ++i) {
        if (buf[i] != '\n') {
            if (box.pending.size() < 4096) box.pending += buf[i];
            continue;
        }
        const std::string line = box.pending;
        box.pending.clear();
        Log(box.tag + " rx " + Quoted(line));
        bool unplug = false;
        const std::vector<std::string> replies = box.sim.HandleCommand(line, &unplug);
        if (unplug) {
            Unplug(box);
            return;
        }
        for (const std::string& r : replies) Send(box, r);
    }
}

bool ParseHexImage(const std::string& text, uint32_t* image) {
    const char* p = text.c_str();
    if (text.size() > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) p += 2;
    char* end = nullptr;
    const unsigned long v = std::strtoul(p, &end, 16);
    if (end == p || *end != '\0' || v > 0xFF) return false;
    *image = static_cast<uint32_t>(v);
    return true;
}

bool Control(std::vector<std::unique_ptr<Box>>& boxes, const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> args;
    for (std::string w; in >> w;) args.push_back(w);
    if (args.empty()) return true;
    int only = -1;  // "#N": box N only
    if (args[0][0] == '#') {
        only = std::atoi(args[0].c_str() + 1);
        args.erase(args.begin());
        if (args.empty()) return true;
    }
    Log("control " + Quoted(line));
    const std::string& word = args[0];
    if (word == "quit") {
        g_stop = 1;
        return true;
    }
    auto number = [&](size_t i, double* v) {
        if (i >= args.size()) return false;
        char* end = nullptr;
        *v = std::strtod(args[i].c_str(), &end);
        return end != args[i].c_str() && *end == '\0';
    };
    double a1 = 0, a2 = 0;
    uint32_t image = 0;
    FailMode mode;
    if (word == "ad") {
        if (!number(1, &a1) || !number(2, &a2) || a1 < 0 || a1 > 7) return false;
    } else if (word == "io-in") {
        if (args.size() < 2 || !ParseHexImage(args[1], &image)) return false;
    } else if (word == "io-bit") {
        if (!number(1, &a1) || !number(2, &a2) || a1 < 0 || a1 > 7) return false;
    } else if (word == "fail") {
        if (args.size() < 2 || !ParseFailMode(args[1], &mode)) return false;
    } else if (word != "io-walk" && word != "unplug" && word != "plug") {
        return false;
    }

    bool done = false;
    for (auto& b : boxes) {
        Box& box = *b;
        if (only >= 0 && box.index != only) continue;
        const BoxKind kind = box.sim.kind();
        if (word == "ad" && kind == BoxKind::kAd) {
            box.sim.SetVolts(static_cast<int>(a1), a2);
        } else if (word == "io-in" && kind == BoxKind::kIo) {
            SetInputs(box, image);
        } else if (word == "io-bit" && kind == BoxKind::kIo) {
            const uint32_t mask = 1u << static_cast<int>(a1);
            SetInputs(box, a2 != 0 ? (box.sim.inputs() | mask) : (box.sim.inputs() & ~mask));
        } else if (word == "io-walk" && kind == BoxKind::kIo) {
            const uint32_t was = box.sim.inputs();
            SetInputs(box, was == 0 ? 1u : ((was << 1) | (was >> 7)) & 0xFF);
        } else if (word == "fail") {
            box.sim.SetFailMode(mode);
        } else if (word == "unplug") {
            Unplug(box);
        } else if (word == "plug") {
            if (!box.plugged()) Plug(box);
        } else {
            continue;
        }
        done = true;
    }
    return done;
}

void RunDemo(Box& box, int64_t now) {
    if (box.demoMs <= 0 || now < box.nextDemo) return;
    box.nextDemo = now + box.demoMs;
    ++box.demoStep;
    if (box.sim.kind() == BoxKind::kIo) {
        SetInputs(box, 1u << (box.demoStep % 8));
    } else if (box.sim.kind() == BoxKind::kAd) {
        // Eight slow waves of different periods over the whole 0..20 V span.
        const double t = static_cast<double>(box.demoStep * box.demoMs) / 1000.0;
        for (int ch = 0; ch < 8; ++ch) {
            box.sim.SetVolts(ch, 10.0 + 9.5 * std::sin(t * (0.5 + 0.25 * ch) + ch));
        }
    }
}

bool ParseBox(const std::string& description, const std::string& comDir, int index,
              std::unique_ptr<Box>* out) {
    std::vector<std::string> parts;
    std::stringstream ss(description);
    for (std::string p; std::getline(ss, p, ',');) parts.push_back(p);
    if (parts.empty()) return false;
    BoxKind kind;
    if (parts[0] == "ad") {
        kind = BoxKind::kAd;
    } else if (parts[0] == "da") {
        kind = BoxKind::kDa;
    } else if (parts[0] == "io") {
        kind = BoxKind::kIo;
    } else {
        std::fprintf(stderr, "qvx-boxsim: unknown box kind \"%s\"\n", parts[0].c_str());
        return false;
    }
    auto box = std::make_unique<Box>(kind);
    box->index = index;
    for (size_t i = 1; i < parts.size(); ++i) {
        const size_t eq = parts[i].find('=');
        const std::string key = parts[i].substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : parts[i].substr(eq + 1);
        if (key == "speed") {
            box->speed = std::atoi(value.c_str());
            if (SpSpeedConstant(box->speed) == 0) {
                std::fprintf(stderr, "qvx-boxsim: %s is no standard speed\n", value.c_str());
                return false;
            }
        } else if (key == "com") {
            const int n = std::atoi(value.c_str());
            if (n < 1 || n > 255 || comDir.empty()) {
                std::fprintf(stderr, "qvx-boxsim: com=%s needs 1..255 and a COM folder\n",
                             value.c_str());
                return false;
            }
            box->link = comDir + (comDir.back() == '/' ? "" : "/") + "COM" + std::to_string(n);
        } else if (key == "link") {
            box->link = value;
        } else if (key == "fail") {
            FailMode m;
            if (!ParseFailMode(value, &m)) {
                std::fprintf(stderr, "qvx-boxsim: unknown fail mode \"%s\"\n", value.c_str());
                return false;
            }
            box->sim.SetFailMode(m);
        } else if (key == "volts") {
            std::stringstream vs(value);
            int ch = 0;
            for (std::string v; std::getline(vs, v, '/') && ch < 8; ++ch) {
                box->sim.SetVolts(ch, std::atof(v.c_str()));
            }
        } else if (key == "in") {
            uint32_t image = 0;
            if (!ParseHexImage(value, &image)) return false;
            box->sim.SetInputs(image);
        } else if (key == "demo") {
            box->demoMs = std::atoi(value.c_str());
        } else {
            std::fprintf(stderr, "qvx-boxsim: unknown box setting \"%s\"\n", key.c_str());
            return false;
        }
    }
    if (box->link.empty()) {
        std::fprintf(stderr, "qvx-boxsim: box %d needs com=N or link=PATH\n", index);
        return false;
    }
    box->tag = "[#" + std::to_string(index) + " " + box->link.substr(box->link.rfind('/') + 1) +
               " " + BoxKindName(kind) + "]";
    *out = std::move(box);
    return true;
}

bool ParseTimed(const std::string& arg, int every, int64_t start, std::vector<Timed>* out) {
    const size_t colon = arg.find(':');
    if (colon == std::string::npos) return false;
    const int ms = std::atoi(arg.substr(0, colon).c_str());
    if (ms < 0 || (every && ms <= 0)) return false;
    out->push_back(Timed{start + ms, every ? ms : 0, arg.substr(colon + 1)});
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* envDir = std::getenv("VANTREL_COM_DIR");
    std::string comDir = envDir ? envDir : "";
    std::vector<std::string> boxDescriptions;
    std::vector<std::string> atArgs, everyArgs;
    std::string logPath, readyFile, controlPath;
    bool printReady = false, quiet = false;

    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&](std::string* v) {
            if (i + 1 >= argc) return false;
            *v = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--box" && next(&v)) {
            boxDescriptions.push_back(v);
        } else if (a == "--com-dir" && next(&v)) {
            comDir = v;
        } else if (a == "--log" && next(&v)) {
            logPath = v;
        } else if (a == "--quiet") {
            quiet = true;
        } else if (a == "--ready") {
            printReady = true;
        } else if (a == "--ready-file" && next(&v)) {
            readyFile = v;
        } else if (a == "--control" && next(&v)) {
            controlPath = v;
        } else if (a == "--at" && next(&v)) {
            atArgs.push_back(v);
        } else if (a == "--every" && next(&v)) {
            everyArgs.push_back(v);
        } else {
            std::fprintf(stderr, "qvx-boxsim: bad argument \"%s\" (see --help)\n", a.c_str());
            return 2;
        }
    }
    if (boxDescriptions.empty()) {
        std::fputs("qvx-boxsim: no --box given (see --help)\n", stderr);
        return 2;
    }

    const int64_t start = NowMs();
    std::vector<std::unique_ptr<Box>> boxes;
    for (size_t i = 0; i < boxDescriptions.size(); ++i) {
        std::unique_ptr<Box> box;
        if (!ParseBox(boxDescriptions[i], comDir, static_cast<int>(i), &box)) return 2;
        boxes.push_back(std::move(box));
    }
    std::vector<Timed> timed;
    for (const auto& a : atArgs) {
        if (!ParseTimed(a, 0, start, &timed)) return 2;
    }
    for (const auto& a : everyArgs) {
        if (!ParseTimed(a, 1, start, &timed)) return 2;
    }

    if (quiet) {
        g_log = nullptr;
    } else if (!logPath.empty()) {
        g_log = std::fopen(logPath.c_str(), "a");
        if (!g_log) {
            std::fprintf(stderr, "qvx-boxsim: cannot write %s\n", logPath.c_str());
            return 2;
        }
    }

    if (pipe2(g_wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return 1;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    int control = -1;
    int controlKeep = -1;  // our own writer, so the FIFO never reports end of file
    bool madeFifo = false;
    if (controlPath == "-") {
        control = STDIN_FILENO;
    } else if (!controlPath.empty()) {
        unlink(controlPath.c_str());
        if (mkfifo(controlPath.c_str(), 0600) != 0) {
            std::fprintf(stderr, "qvx-boxsim: cannot make the FIFO %s\n", controlPath.c_str());
            return 1;
        }
        madeFifo = true;
        control = open(controlPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        controlKeep = open(controlPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    }

    int status = 0;
    for (auto& b : boxes) {
        if (!Plug(*b)) status = 1;
    }
    if (status == 0) {
        if (!readyFile.empty()) {
            const std::string tmp = readyFile + ".tmp";
            if (FILE* f = std::fopen(tmp.c_str(), "w")) {
                std::fputs("ready\n", f);
                std::fclose(f);
                rename(tmp.c_str(), readyFile.c_str());
            }
        }
        if (printReady) {
            std::fputs("ready\n", stdout);
            std::fflush(stdout);
        }
        Log("ready");
        for (auto& b : boxes) b->nextDemo = NowMs() + b->demoMs;
    }

    std::string controlPending;
    while (status == 0 && !g_stop) {
        std::vector<pollfd> fds;
        std::vector<Box*> owners;
        fds.push_back({g_wakePipe[0], POLLIN, 0});
        owners.push_back(nullptr);
        if (control >= 0) {
            fds.push_back({control, POLLIN, 0});
            owners.push_back(nullptr);
        }
        for (auto& b : boxes) {
            if (!b->plugged()) continue;
            fds.push_back({b->master, POLLIN, 0});
            owners.push_back(b.get());
        }

        const int64_t now = NowMs();
        int64_t wake = now + 1000;
        for (const Timed& t : timed) wake = std::min(wake, t.at);
        for (auto& b : boxes) {
            if (b->demoMs > 0) wake = std::min(wake, b->nextDemo);
        }
        const int timeout = static_cast<int>(std::max<int64_t>(0, wake - now));
        const int r = poll(fds.data(), fds.size(), timeout);
        if (r < 0 && errno != EINTR) break;

        for (size_t i = 0; r > 0 && i < fds.size(); ++i) {
            if (!fds[i].revents) continue;
            if (owners[i]) {
                if (fds[i].revents & POLLIN) {
                    Receive(*owners[i]);
                } else if (fds[i].revents & (POLLHUP | POLLERR)) {
                    // Cannot happen while our own slave descriptor is open; do not spin on it.
                    Log(owners[i]->tag + " ** pty hang-up; unplugged");
                    Unplug(*owners[i]);
                }
            } else if (fds[i].fd == control) {
                char buf[512];
                const ssize_t n = read(control, buf, sizeof buf);
                if (n > 0) {
                    controlPending.append(buf, static_cast<size_t>(n));
                    size_t nl;
                    while ((nl = controlPending.find('\n')) != std::string::npos) {
                        const std::string line = controlPending.substr(0, nl);
                        controlPending.erase(0, nl + 1);
                        if (!Control(boxes, line)) Log("** control line not understood");
                    }
                } else if (n == 0 && control == STDIN_FILENO) {
                    control = -1;  // standard input ended; keep serving
                }
            } else {
                char buf[16];
                while (read(g_wakePipe[0], buf, sizeof buf) > 0) {
                }
            }
        }

        const int64_t after = NowMs();
        for (Timed& t : timed) {
            if (t.at > after) continue;
            if (!Control(boxes, t.line)) Log("** control line not understood");
            t.at = t.every ? after + t.every : INT64_MAX;
        }
        for (auto& b : boxes) RunDemo(*b, after);
    }

    for (auto& b : boxes) Unplug(*b);
    if (madeFifo) unlink(controlPath.c_str());
    if (controlKeep >= 0) close(controlKeep);
    Log(status == 0 ? "end" : "end: a box could not be set up");
    return status;
}
