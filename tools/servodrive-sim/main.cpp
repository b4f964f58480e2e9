// servodrive-sim: a simulated servo drive on a pseudo-terminal.
//
//   servodrive-sim [--link PATH] [--baud RATE] [--alarm-after MS]
//
// Opens a pseudo-terminal, prints the path of its terminal side on the first
// line of standard output (and makes PATH a symbolic link to it), then answers
// the drive's command lines until it is ended by SIGINT or SIGTERM. SIGUSR1
// raises an over-current alarm, as "$A5" does on the line. With --baud, the
// replies go out at that rate (10 bits a byte), as a real line would pace them.
#include "ServoDrive.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t alarmRequested = 0;

void OnStop(int) { stopRequested = 1; }
void OnAlarm(int) { alarmRequested = 1; }

uint64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void Usage() {
    std::fprintf(stderr, "usage: servodrive-sim [--link PATH] [--baud RATE] [--alarm-after MS]\n");
}

void WritePaced(int fd, const std::string& bytes, int baud) {
    for (char c : bytes) {
        while (write(fd, &c, 1) < 0 && (errno == EINTR || errno == EAGAIN)) {
        }
        if (baud > 0) std::this_thread::sleep_for(std::chrono::microseconds(10'000'000LL / baud));
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string link;
    int baud = 0;
    long alarmAfter = -1;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--link" && i + 1 < argc) link = argv[++i];
        else if (arg == "--baud" && i + 1 < argc) baud = std::atoi(argv[++i]);
        else if (arg == "--alarm-after" && i + 1 < argc) alarmAfter = std::atol(argv[++i]);
        else {
            Usage();
            return 2;
        }
    }

    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("servodrive-sim: openpty");
        return 1;
    }
    // The terminal side stays open here too, so that the line does not hang
    // up whenever the panel closes its port; and it starts raw.
    termios t{};
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    if (!link.empty()) {
        unlink(link.c_str());
        if (symlink(name, link.c_str()) != 0) {
            std::perror("servodrive-sim: symlink");
            return 1;
        }
    }
    std::printf("%s\n", name);
    std::fflush(stdout);

    std::signal(SIGINT, OnStop);
    std::signal(SIGTERM, OnStop);
    std::signal(SIGUSR1, OnAlarm);

    ServoDrive drive;
    const uint64_t start = NowMs();
    std::string line;
    while (!stopRequested) {
        if (alarmRequested || (alarmAfter >= 0 && NowMs() - start >= static_cast<uint64_t>(alarmAfter))) {
            alarmRequested = 0;
            alarmAfter = -1;
            drive.RaiseAlarm(5);
        }
        pollfd p{master, POLLIN, 0};
        int ready = poll(&p, 1, 100);
        if (ready <= 0 || !(p.revents & POLLIN)) continue;
        char buf[256];
        ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0) continue;
        for (ssize_t i = 0; i < n; ++i) {
            if (buf[i] == '\r') {
                WritePaced(master, drive.Answer(line, NowMs()), baud);
                line.clear();
            } else if (buf[i] != '\n' && line.size() < 64) {
                line.push_back(buf[i]);
            }
        }
    }
    if (!link.empty()) unlink(link.c_str());
    close(slave);
    close(master);
    return 0;
}
