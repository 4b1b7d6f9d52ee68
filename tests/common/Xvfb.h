#pragma once
// A private X server for one test binary: Xvfb on a display number it picks
// itself (-displayfd), so parallel tests never meet. DISPLAY points at it and
// SDL's sound goes nowhere while the object lives; SDL is shut down before
// the server goes. -noreset: a server whose last client leaves resets
// itself and turns away a client connecting meanwhile, which a show started
// again at once would meet.
#include <SDL.h>
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
        if ((pid_ = ::fork()) == 0) {
            ::execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(fds[1]).c_str(), "-screen", "0", "1280x1024x24",
                     "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        std::string display = ":";
        for (char c; ::read(fds[0], &c, 1) == 1 && c != '\n';) display += c;  // "N\n" once it accepts clients
        ::close(fds[0]);
        running_ = display.size() > 1;
        if (running_) ::setenv("DISPLAY", display.c_str(), 1), ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    ~PrivateXvfb() {
        SDL_Quit();
        if (pid_ > 0) ::kill(pid_, SIGTERM), ::waitpid(pid_, nullptr, 0);
    }
    PrivateXvfb(const PrivateXvfb&) = delete;
    PrivateXvfb& operator=(const PrivateXvfb&) = delete;
    bool running() const { return running_; }

private:
    pid_t pid_ = -1;
    bool running_ = false;
};
