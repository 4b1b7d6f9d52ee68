#include "base/FileRead.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool fail(const std::string& path, const std::string& reason, std::vector<uint8_t>* bytes, std::string* error) {
    bytes->clear();
    if (error) *error = path + ": " + reason;
    return false;
}
}  // namespace

bool readWholeFile(const std::string& path, std::size_t maxBytes, std::vector<uint8_t>* bytes,
                   std::string* error) {
    bytes->clear();
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return fail(path, std::strerror(errno), bytes, error);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int code = errno;
        ::close(fd);
        return fail(path, std::strerror(code), bytes, error);
    }
    if (S_ISDIR(info.st_mode)) {
        ::close(fd);
        return fail(path, "is a folder, not a file", bytes, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(path, "is not a regular file", bytes, error);
    }
    if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
        ::close(fd);
        return fail(path, "is larger than " + std::to_string(maxBytes) + " bytes", bytes, error);
    }
    bytes->resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes->size()) {
        const ssize_t got = ::read(fd, bytes->data() + done, bytes->size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int code = errno;
            ::close(fd);
            return fail(path, std::strerror(code), bytes, error);
        }
        if (got == 0) break;  // shrank while we read: keep what is there
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    bytes->resize(done);
    return true;
}
