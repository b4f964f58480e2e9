// Runs servodrive-sim as a child process for tests and benchmarks: starts it
// on a fresh pseudo-terminal, waits for the path it publishes, and ends it.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

class SimProcess {
public:
    // program: the servodrive-sim binary; link: where it makes its symbolic
    // link (a COM entry of the devices folder, say); extra: further options.
    SimProcess(const std::string& program, const std::string& link,
               const std::vector<std::string>& extra = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool Running() const { return pid_ > 0 && !ptyPath_.empty(); }
    // The terminal side the simulator opened.
    const std::string& PtyPath() const { return ptyPath_; }
    // Raises the drive's over-current alarm (SIGUSR1).
    void RaiseAlarm() const;
    // Stalls the drive (SIGSTOP) and lets it go on (SIGCONT), as a drive that
    // stops answering for a while and then catches up.
    void Stall() const;
    void Resume() const;
    // Ends the simulator and waits for it; answers its exit status.
    int Stop();

private:
    pid_t pid_ = -1;
    std::string ptyPath_;
};
