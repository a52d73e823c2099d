#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "coordination/StatusWords.h"
#include "coordination/status_watch.h"
#include "platform/waker.h"
#include "support/test_env.h"

extern char** environ;

namespace {

struct Peer {
    pid_t pid = -1;
    int out = -1;  // read end of the peer's stdout
};

// Starts the peer helper with args; its stdout comes back through a pipe.
Peer StartPeer(const std::vector<std::string>& args) {
    Peer peer;
    int fds[2];
    if (pipe(fds) != 0) return peer;
    const std::string exe = BinDir() + "status_words_peer";
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    if (posix_spawn(&peer.pid, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        peer.pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    peer.out = fds[0];
    return peer;
}

// Waits for the peer's end; returns its exit code (-1 when it did not exit normally) and what
// it printed.
int FinishPeer(Peer& peer, std::string* output = nullptr) {
    std::string text;
    char buf[256];
    ssize_t n;
    while (peer.out >= 0 && (n = read(peer.out, buf, sizeof buf)) > 0) text.append(buf, n);
    if (peer.out >= 0) close(peer.out);
    int status = 0;
    if (peer.pid < 0 || waitpid(peer.pid, &status, 0) != peer.pid) return -1;
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunPeer(const std::vector<std::string>& args, std::string* output = nullptr) {
    Peer peer = StartPeer(args);
    return FinishPeer(peer, output);
}

// What a one-shot peer reads from the word now, "" when it failed.
std::string PeerReads(const std::string& channel, const std::string& word) {
    std::string out;
    return RunPeer({"get", channel, word}, &out) == 0 ? out : "";
}

// Starts a peer that sets the word and stays attached; returns once it has set it (pid -1 when
// it did not get there).
Peer StartHolder(const std::string& channel, const std::string& word, const std::string& value) {
    Peer peer = StartPeer({"hold", channel, word, value});
    std::string text;
    char c;
    while (peer.out >= 0 && text.find("held\n") == std::string::npos &&
           read(peer.out, &c, 1) == 1) {
        text += c;
    }
    if (text.find("held\n") == std::string::npos) {
        FinishPeer(peer);
        peer.pid = -1;
    }
    return peer;
}

// Ends a holder and reaps it.
void EndHolder(Peer& peer) {
    if (peer.pid > 0) kill(peer.pid, SIGTERM);
    FinishPeer(peer);
}

}  // namespace

class StatusWords : public IsolatedTest {};

TEST_F(StatusWords, CrossProcesses) {
    // This process uses the words from now on, so what the short-lived peers set stays.
    EXPECT_EQ(GetMainStatus(0), 0);
    // Another process's words arrive here ...
    ASSERT_EQ(RunPeer({"set", "2", "error", "15"}), 0);
    ASSERT_EQ(RunPeer({"set", "2", "status", "3"}), 0);
    EXPECT_EQ(GetChildError(2), 15);
    EXPECT_EQ(GetChildStatus(2), status::kChildEnded);
    EXPECT_EQ(GetMainStatus(2), 0);
    EXPECT_EQ(GetChildError(1), 0);

    // ... and ours arrive there.
    SetMainStatus(1, status::kMainEnd);
    SetChildError(2, 0);
    std::string out;
    ASSERT_EQ(RunPeer({"get", "1", "main"}, &out), 0);
    EXPECT_EQ(out, "1\n");
    ASSERT_EQ(RunPeer({"get", "2", "error"}, &out), 0);
    EXPECT_EQ(out, "0\n");

    // A running peer sees a word set after it started (the end request of a panel).
    SetChildStatus(0, 0);
    Peer waiting = StartPeer({"wait", "0", "main", "1", "60000"});
    ASSERT_GT(waiting.pid, 0);
    SleepForMs(50);
    SetMainStatus(0, status::kMainEnd);
    EXPECT_EQ(FinishPeer(waiting), 0);
    EXPECT_EQ(GetChildStatus(0), 1);

    // Channels outside 0..3 neither travel nor disturb the others.
    ASSERT_EQ(RunPeer({"set", "4", "main", "9"}), 0);
    ASSERT_EQ(RunPeer({"set", "-1", "error", "9"}), 0);
    EXPECT_EQ(GetMainStatus(4), 0);
    EXPECT_EQ(GetChildError(-1), 0);
    ASSERT_EQ(RunPeer({"get", "4", "main"}, &out), 0);
    EXPECT_EQ(out, "0\n");
    EXPECT_EQ(GetMainStatus(3), 0);
}

TEST_F(StatusWords, ProcessesStartingAtOnceShareOneSegment) {
    // Nobody has touched this segment yet: several peers create and attach to it at the same
    // moment, each writing its own word while the others may still be attaching. No attacher
    // may clear a word another one has already set.
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        IsolatedEnv fresh;
        std::vector<Peer> peers;
        for (int ch = 0; ch < 4; ++ch) {
            peers.push_back(
                StartPeer({"hold", std::to_string(ch), "error", std::to_string(ch + 1)}));
            peers.push_back(
                StartPeer({"hold", std::to_string(ch), "main", std::to_string(ch + 5)}));
        }
        for (Peer& p : peers) {
            std::string text;
            char c;
            while (text.find("held\n") == std::string::npos && read(p.out, &c, 1) == 1) text += c;
            EXPECT_EQ(text, "held\n");
        }
        for (int ch = 0; ch < 4; ++ch) {
            EXPECT_EQ(GetChildError(ch), ch + 1);
            EXPECT_EQ(GetMainStatus(ch), ch + 5);
            EXPECT_EQ(GetChildStatus(ch), 0);
        }
        for (Peer& p : peers) EndHolder(p);
    }
}

TEST_F(StatusWords, WordsLeftByProcessesThatHaveAllEndedAreGone) {
    // A launcher that closed asked every panel to end, and a panel reported its end and an
    // error after that: the next process to come starts from zero words.
    ASSERT_EQ(RunPeer({"set", "1", "main", "1"}), 0);
    ASSERT_EQ(RunPeer({"set", "2", "status", "3"}), 0);
    ASSERT_EQ(RunPeer({"set", "2", "error", "15"}), 0);
    EXPECT_EQ(PeerReads("1", "main"), "0\n");
    EXPECT_EQ(PeerReads("2", "status"), "0\n");
    EXPECT_EQ(PeerReads("2", "error"), "0\n");
    // This process as well.
    EXPECT_EQ(GetMainStatus(1), 0);
    EXPECT_EQ(GetChildStatus(2), 0);
}

TEST_F(StatusWords, WordsStayWhileAnyProcessUsesThem) {
    // A panel still running from an earlier launcher keeps its words; so do the words others
    // set and read while it runs, whoever comes and goes.
    Peer panel = StartHolder("0", "status", "3");
    ASSERT_GT(panel.pid, 0);
    ASSERT_EQ(RunPeer({"set", "1", "error", "7"}), 0);
    EXPECT_EQ(PeerReads("0", "status"), "3\n");
    EXPECT_EQ(PeerReads("1", "error"), "7\n");
    // A second long-lived user outlasts the first: the words still stay.
    Peer launcher = StartHolder("2", "main", "1");
    ASSERT_GT(launcher.pid, 0);
    EndHolder(panel);
    EXPECT_EQ(PeerReads("0", "status"), "3\n");
    EXPECT_EQ(PeerReads("2", "main"), "1\n");
    // Once the last one has gone they are cleared.
    EndHolder(launcher);
    EXPECT_EQ(PeerReads("0", "status"), "0\n");
    EXPECT_EQ(PeerReads("1", "error"), "0\n");
    EXPECT_EQ(PeerReads("2", "main"), "0\n");
}

TEST_F(StatusWords, AWordSetInAnotherProcessWakesTheWatchedThreadsHere) {
    // A waiting thread here sleeps on its waker alone: the watch relays the peer's change.
    ASSERT_TRUE(WatchStatusWords());
    Waker waker;
    SleepForMs(50);  // past the watch's first look at this test's segment
    waker.Clear();
    ASSERT_EQ(RunPeer({"set", "1", "main", "1"}), 0);
    pollfd fd{waker.fd(), POLLIN, 0};
    EXPECT_EQ(poll(&fd, 1, 30000), 1);
    EXPECT_EQ(GetMainStatus(1), status::kMainEnd);
}
