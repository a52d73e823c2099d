#include "qvx_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>

#include <sstream>

#include "testkit/child.h"

extern char** environ;

QvxProcess::QvxProcess(const std::vector<std::string>& args) {
    const std::string exe = BinDir() + "qvx";
    std::vector<std::string> argv{exe};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (const std::string& a : argv) pointers.push_back(const_cast<char*>(a.c_str()));
    pointers.push_back(nullptr);
    const std::string outPath = dir_.path() + "out";
    const std::string errPath = dir_.path() + "err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    if (posix_spawn(&pid_, exe.c_str(), &actions, nullptr, pointers.data(), environ) != 0) {
        pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
}

QvxProcess::~QvxProcess() {
    if (pid_ > 0) testkit::WaitForExitCode(pid_, 0);
}

int QvxProcess::Wait(int timeoutMs) {
    const int code = testkit::WaitForExitCode(pid_, timeoutMs);
    pid_ = -1;
    return code;
}

QvxRun RunQvx(const std::vector<std::string>& args, int timeoutMs) {
    QvxProcess qvx(args);
    QvxRun run;
    run.exitCode = qvx.Wait(timeoutMs);
    run.out = qvx.out();
    run.err = qvx.err();
    return run;
}

std::string OutputOf(const std::vector<std::string>& args) {
    const QvxRun run = RunQvx(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.out;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}
