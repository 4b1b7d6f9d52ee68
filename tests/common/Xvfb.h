#pragma once
// A private X server for one test binary: Xvfb on a display number it picks
// itself (-displayfd), so parallel tests never meet. DISPLAY points at it
// while the object lives. -noreset: a server whose last client leaves resets
// itself, and a client connecting during the reset is turned away; a desktop
// always has other clients, so a show started again at once never meets that.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

class PrivateXvfb {
public:
    PrivateXvfb() {
        int fds[2];
        if (::pipe(fds) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        char text[32] = {};
        size_t got = 0;
        while (got < sizeof text - 1) {  // Xvfb writes "N\n" once it accepts clients
            const ssize_t n = ::read(fds[0], text + got, sizeof text - 1 - got);
            if (n <= 0) break;
            got += static_cast<size_t>(n);
            if (text[got - 1] == '\n') break;
        }
        ::close(fds[0]);
        if (got == 0) return;
        display_ = ":" + std::string(text, text + got - 1);
        ::setenv("DISPLAY", display_.c_str(), 1);
    }
    ~PrivateXvfb() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    PrivateXvfb(const PrivateXvfb&) = delete;
    PrivateXvfb& operator=(const PrivateXvfb&) = delete;

    bool running() const { return !display_.empty(); }

private:
    pid_t pid_ = -1;
    std::string display_;
};
