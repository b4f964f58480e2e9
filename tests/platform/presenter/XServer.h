// A private X server for one test: Xvfb on a display number it picks itself
// (-displayfd), ended when the object goes.
#pragma once

#include <string>
#include <sys/types.h>

class XServer {
public:
    XServer() = default;
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    ~XServer() { Stop(); }

    // Whether Xvfb can be found on PATH.
    static bool Installed();
    // Starts the server and waits until it accepts connections; false on failure.
    bool Start(int width = 1280, int height = 800);
    void Stop();
    // The DISPLAY value of the server, such as ":3".
    const std::string& Name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};
