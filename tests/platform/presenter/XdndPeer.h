// Another program of the desktop for drag-and-drop tests: an X client of
// its own (own connection, own thread) that speaks XDND either as a drop
// target or as a drag source. Every wait it makes has a deadline; when the
// deadline passes it gives up and reports, so a test never hangs on it.
#pragma once

#include <win32/windows.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class XdndPeer {
public:
    explicit XdndPeer(const std::string& display);
    ~XdndPeer();

    // A mapped, XDND-aware window at `where` (root coordinates). Each position
    // is answered with `action` ("XdndActionCopy", ...), or refused when it is
    // empty; on a drop it reads `want` (a target such as "text/uri-list").
    unsigned long ShowTarget(RECT where, std::string action, std::string want);
    // Drags `offer` (target name -> bytes) onto the window `to` at the root
    // point `at`, proposing `action`; drops if the target accepts, else leaves.
    void DragOnto(unsigned long to, POINT at, std::map<std::string, std::string> offer,
                  std::string action);

    // Blocks until the peer is done (or gave up at its deadline).
    void Wait();
    bool Done() const { return done_; }
    // Called on the peer's thread once it is done (the test wakes its queue).
    std::function<void()> onDone;

    // What the peer saw, for the test to look at after Wait().
    struct Seen {
        bool timedOut = false;
        std::vector<std::string> entered;  // the types the source offered
        std::vector<std::string> statuses; // "accept <action>" or "refuse"
        bool left = false;
        bool dropped = false;
        std::string data;     // what a drop on the target read
        std::string finished; // "accept <action>" or "refuse", empty when none came
    };
    Seen seen;

private:
    void Run(std::function<void()> script);
    void Finish(bool timedOut);

    std::string display_;
    std::thread thread_;
    std::mutex lock_;
    std::condition_variable cv_;
    std::atomic<bool> done_{false};
};
