// A private Xvfb server for one test: Xvfb picks a free display number and
// writes it to its output, so that tests running in parallel each get a
// server of their own. The shell's pid is the server's after exec.
#pragma once

#include <signal.h>

#include <cstdio>
#include <string>

namespace korvel::testing {

class XvfbServer {
public:
    // screen: Xvfb's "WxHxD" screen argument.
    explicit XvfbServer(const char* screen) {
        std::string command = "echo $$; exec ";
        command.append(KORVEL_XVFB).append(" -displayfd 1 -screen 0 ").append(screen);
        command.append(" -nolisten tcp 2>/dev/null");
        output_ = popen(command.c_str(), "r");
        int number = -1;
        if (!output_ || std::fscanf(output_, "%d %d", &pid_, &number) != 2) return;
        display_.assign(1, ':').append(std::to_string(number));
    }
    ~XvfbServer() {
        if (pid_ > 0) kill(pid_, SIGTERM);
        if (output_) pclose(output_);
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // The display name (":N"), empty when the server did not start.
    const std::string& display() const { return display_; }

private:
    FILE* output_ = nullptr;
    int pid_ = -1;
    std::string display_;
};

}  // namespace korvel::testing
