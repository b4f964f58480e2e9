#include "SimProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

SimProcess::SimProcess(const std::string& program, const std::string& link,
                       const std::vector<std::string>& extra) {
    int out[2];
    if (pipe(out) != 0) return;
    std::vector<std::string> args = {program, "--link", link};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (pid_ <= 0) {
        close(out[0]);
        return;
    }
    // The first line is the terminal's path; the link exists by then.
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        line.push_back(c);
    close(out[0]);
    ptyPath_ = line;
}

SimProcess::~SimProcess() {
    Stop();
}

void SimProcess::RaiseAlarm() const {
    if (pid_ > 0) kill(pid_, SIGUSR1);
}

void SimProcess::Stall() const {
    if (pid_ > 0) kill(pid_, SIGSTOP);
}

void SimProcess::Resume() const {
    if (pid_ > 0) kill(pid_, SIGCONT);
}

int SimProcess::Stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    return status;
}
