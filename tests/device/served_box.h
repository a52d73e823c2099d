// A simulated box on a pty, served over the network by a real ser2net on loopback, with a COM
// entry of each kind for it: the local one (a link to the pty) and the network one (a link whose
// text is ser2net's rfc2217:// URL). Tests skip when ser2net is not installed.
#pragma once

#include <unistd.h>

#include <string>
#include <vector>

#include "device/box_sim_helper.h"
#include "testkit/ser2net.h"

using testkit::Ser2net;

#define SKIP_WITHOUT_SER2NET()                                             \
    do {                                                                   \
        if (!Ser2net::Installed()) GTEST_SKIP() << Ser2net::kNotInstalled; \
    } while (0)

class ServedBox {
  public:
    // box: a qvx-boxsim description without com= (for instance "io,speed=9600"); the local
    // entry is COM<localCom>, the network entry COM<networkCom> of $VANTREL_COM_DIR.
    ServedBox(const IsolatedEnv& env, const std::string& box, int localCom, int networkCom)
        : localEntry_(env.comDir() + "COM" + std::to_string(localCom)),
          sim_({"--box", box + ",link=" + localEntry_}),
          server_(Pty()) {
        const std::string entry = env.comDir() + "COM" + std::to_string(networkCom);
        linked_ = server_.ready() && symlink(server_.url().c_str(), entry.c_str()) == 0;
    }

    bool ready() const { return sim_.ready() && server_.ready() && linked_; }
    BoxSim& sim() { return sim_; }
    Ser2net& server() { return server_; }

    // What the box heard and said from byte `from` of its log on: its rx, tx and ignored-bytes
    // lines without time stamps and tags, so that two runs compare line by line.
    std::vector<std::string> Traffic(size_t from = 0) const {
        std::vector<std::string> lines;
        const std::string log = sim_.LogFrom(from);
        size_t start = 0;
        while (start < log.size()) {
            size_t end = log.find('\n', start);
            if (end == std::string::npos) end = log.size();
            const std::string line = log.substr(start, end - start);
            start = end + 1;
            const size_t tag = line.find("] ");
            if (tag == std::string::npos) continue;
            const std::string what = line.substr(tag + 2);
            if (what.rfind("rx ", 0) == 0 || what.rfind("tx ", 0) == 0 ||
                what.rfind("** ", 0) == 0) {
                lines.push_back(what);
            }
        }
        return lines;
    }

  private:
    std::string Pty() const {
        if (!sim_.ready()) return "";
        char buf[256];
        const ssize_t n = readlink(localEntry_.c_str(), buf, sizeof buf - 1);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : "";
    }

    std::string localEntry_;
    BoxSim sim_;
    Ser2net server_;
    bool linked_ = false;
};
