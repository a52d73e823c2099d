// Plays a panel process for the launcher tests, through the real status words: started with
// "/<COM> /<mode> /<channel>", it records its arguments, reports child error 2 (no answer from
// the box), then waits for the end request (main word 1), sets child status 3 and exits.
//
// Records go to $VANTREL_FAKE_PANEL_DIR/ch<channel>.args ("<pid> <arg1> <arg2> <arg3>"). When
// the end request comes, the launcher ini named by $VANTREL_FAKE_PANEL_INI (if set) is copied to
// ch<channel>.ini-at-end, so a test can see what the launcher had written by then.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "coordination/StatusWords.h"

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Written under another name and renamed, so a test that sees the file sees all of it.
void WriteText(const std::string& path, const std::string& text) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
    }
    std::rename(temp.c_str(), path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || argv[3][0] != '/') return 2;
    const int channel = std::atoi(argv[3] + 1);
    const std::string dir = Env("VANTREL_FAKE_PANEL_DIR");
    const std::string prefix = dir + "/ch" + std::to_string(channel);

    std::ostringstream record;
    record << getpid() << ' ' << argv[1] << ' ' << argv[2] << ' ' << argv[3];
    if (!dir.empty()) WriteText(prefix + ".args", record.str());

    SetChildError(channel, 2);

    // A test that forgets to end its panel must not leave it running for long.
    for (int waited = 0; waited < 120000; waited += 2) {
        if (GetMainStatus(channel) == status::kMainEnd) {
            const std::string ini = Env("VANTREL_FAKE_PANEL_INI");
            if (!dir.empty() && !ini.empty()) {
                std::ifstream in(ini, std::ios::binary);
                std::ostringstream content;
                content << in.rdbuf();
                WriteText(prefix + ".ini-at-end", content.str());
            }
            SetChildStatus(channel, status::kChildEnded);
            return 0;
        }
        usleep(2000);
    }
    return 1;
}
