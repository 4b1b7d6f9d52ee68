#include "FuzzInputs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

namespace fuzzinputs {

namespace {
// Standard error as it was at start-up: a test may be capturing the real one
// when a rule breaks, and the report must still be seen.
const int kReportFd = ::dup(2);
}  // namespace

void require(bool condition, const char* what) {
    if (condition) return;
    const std::string text = std::string("fuzz: broken rule: ") + what + "\n";
    const ssize_t written = ::write(kReportFd >= 0 ? kReportFd : 2, text.data(), text.size());
    (void)written;
    std::abort();
}

namespace {

// The files made in this process, removed at exit.
struct InputFiles {
    std::map<std::string, std::string> paths;
    ~InputFiles() {
        for (const auto& entry : paths) ::unlink(entry.second.c_str());
    }
};

InputFiles& inputFiles() {
    static InputFiles files;
    return files;
}

// /dev/shm when there is one: no disk writes for every input.
std::string tempFolder() {
    if (::access("/dev/shm", W_OK) == 0) return "/dev/shm";
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

}  // namespace

std::string inputFile(const char* name, const uint8_t* data, size_t size) {
    std::string& path = inputFiles().paths[name];
    if (path.empty()) {
        path = tempFolder() + "/glowmotion-fuzz-" + std::to_string(::getpid()) + "-" + name;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    require(fd >= 0, "cannot create the input file");
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        require(n > 0, "cannot write the input file");
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    return path;
}

}  // namespace fuzzinputs
