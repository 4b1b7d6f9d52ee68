#include "FuzzInputs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>

namespace fuzzinputs {

namespace {
// Standard error as it was at start-up: a test may be capturing the real one
// when a rule breaks, and the report must still be seen.
const int kReportFd = ::dup(2);

// The files made in this process (in /dev/shm when there is one: no disk
// writes for every input), removed at exit.
struct InputFiles {
    std::map<std::string, std::string> paths;
    ~InputFiles() {
        for (const auto& entry : paths) ::unlink(entry.second.c_str());
    }
};
}  // namespace

void require(bool condition, const char* what) {
    if (condition) return;
    const std::string text = std::string("fuzz: broken rule: ") + what + "\n";
    (void)!::write(kReportFd >= 0 ? kReportFd : 2, text.data(), text.size());
    std::abort();
}

std::string inputFile(const char* name, const uint8_t* data, size_t size) {
    static InputFiles files;
    std::string& path = files.paths[name];
    namespace fs = std::filesystem;
    if (path.empty())
        path = (::access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm") : fs::temp_directory_path()) /
               ("glowmotion-fuzz-" + std::to_string(::getpid()) + "-" + name);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    require(fd >= 0, "cannot create the input file");
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        require(n > 0, "cannot write the input file");
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    return path;
}

}  // namespace fuzzinputs
