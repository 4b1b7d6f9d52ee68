// Composes the show's music and writes it as an Impulse Tracker module.
// Usage: compose_music OUTPUT.it [--plan]
#include <sys/stat.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "ItWriter.h"
#include "Song.h"
#include "base/CommandLine.h"

namespace {
// Writes bytes to path. On failure returns the system's reason and removes
// whatever part of a regular file was written.
std::string writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return std::strerror(errno);
    struct stat info {};
    const bool regular = ::fstat(fileno(out), &info) == 0 && S_ISREG(info.st_mode);  // never remove a device
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const int code = errno;
    if (std::fclose(out) != 0 || !written) {
        const std::string why = std::strerror(written ? errno : code);
        if (regular) std::remove(path.c_str());
        return why;
    }
    return {};
}
}  // namespace

int main(int argc, char** argv) {
    std::string output;
    bool plan = false;
    CLI::App app("Composes the show's music and writes it as an Impulse Tracker module.");
    setUpCommandLine(app, "compose_music");
    app.add_option("OUTPUT", output, "the module file to write (the build writes data/km_groov.it)")
        ->required()
        ->check(nonEmpty("file name"));
    app.add_flag("--plan", plan, "also print the section plan: where each part of the song starts");
    app.footer(
        "Exit status: 0 written, 1 the song is invalid or OUTPUT could not be written,\n"
        "2 a bad command line.");
    const int parsed = parseCommandLine(app, argc, argv);
    if (parsed >= 0) return parsed;

    const auto began = std::chrono::steady_clock::now();
    const music::Song song = music::composeSong();
    const std::string problem = music::validate(song.module);
    if (!problem.empty()) {
        std::fprintf(stderr, "compose_music: %s\n", problem.c_str());
        return 1;
    }
    const std::vector<uint8_t> bytes = music::writeIt(song.module);
    const std::string why = writeFile(output, bytes);
    if (!why.empty()) {
        std::fprintf(stderr, "compose_music: cannot write %s: %s\n", output.c_str(), why.c_str());
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count();
    if (plan) {
        for (const std::string& line : song.plan) std::printf("%s\n", line.c_str());
        std::printf("end        %6.2f s\n", music::barStart(song.totalBars));
    }
    std::printf("compose_music: %s, %zu bytes, %d bars, %zu patterns, %zu orders, %.0f ms\n", output.c_str(),
                bytes.size(), song.totalBars, song.module.patterns.size(), song.module.orders.size(), ms);
    return 0;
}
