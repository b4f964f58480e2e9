#include "XServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

std::string FindXvfb() {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        std::string candidate = (folder.empty() ? "." : folder) + "/Xvfb";
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

} // namespace

bool XServer::Installed() {
    return !FindXvfb().empty();
}

bool XServer::Start(int width, int height) {
    const std::string program = FindXvfb();
    if (program.empty()) return false;
    int ready[2];
    if (pipe(ready) != 0) return false;
    const std::string fd = std::to_string(ready[1]);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid_ = fork();
    if (pid_ == 0) {
        close(ready[0]);
        int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execl(program.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
              "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    if (pid_ < 0) {
        close(ready[0]);
        return false;
    }
    // The server writes its display number once it accepts connections.
    std::string number;
    for (;;) {
        pollfd p{ready[0], POLLIN, 0};
        if (poll(&p, 1, 20000) <= 0) break;
        char c;
        if (read(ready[0], &c, 1) != 1 || c == '\n') break;
        number.push_back(c);
    }
    close(ready[0]);
    if (number.empty()) {
        Stop();
        return false;
    }
    name_ = ":" + number;
    return true;
}

void XServer::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}
