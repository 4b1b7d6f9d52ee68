#include "ViewSession.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

#include "ProgramFile.h"

FileWatcher::FileWatcher(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    name_ = slash == std::string::npos ? path : path.substr(slash + 1);
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        error_ = std::string("inotify: ") + std::strerror(errno);
        return;
    }
    if (inotify_add_watch(fd_, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE) < 0) {
        error_ = folder + ": " + std::strerror(errno);
        ::close(fd_);
        fd_ = -1;
    }
}

FileWatcher::~FileWatcher() {
    if (fd_ >= 0) ::close(fd_);
}

bool FileWatcher::changed() {
    if (fd_ < 0) return false;
    bool seen = false;
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // EAGAIN: nothing more waits
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            // IN_CREATE alone is an empty new file still being written: its
            // IN_CLOSE_WRITE follows.
            if (event->len > 0 && name_ == event->name && !(event->mask & IN_CREATE)) seen = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return seen;
}

ViewSession::ViewSession(const std::string& path)
    : path_(path), generator_(std::make_unique<TextureGenerator>()), watcher_(path) {}

bool ViewSession::reload() {
    const ProgramFile file = loadProgramFile(path_);
    if (!file.ok) {
        message_ = file.error;
        return false;
    }
    generator_->setProgram(file.bytes.data(), file.bytes.size());
    generator_->run();
    summary_ = generator_->programCheck().describe();
    message_.clear();
    ++runs_;
    return true;
}

bool ViewSession::poll() {
    if (!watcher_.changed()) return false;
    reload();
    return true;
}

std::string ViewSession::title() const {
    if (!message_.empty()) return message_;
    const size_t slash = path_.rfind('/');
    return (slash == std::string::npos ? path_ : path_.substr(slash + 1)) + ": " + summary_;
}
