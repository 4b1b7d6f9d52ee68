#include "base/CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {
const char* const kHint = "Run with --help for more information.\n";

// "125", "0.5", "3600": the shortest form that reads back as the value.
std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}
}  // namespace

void setUpCommandLine(CLI::App& app, const char* program) {
    app.name(program);
    app.set_version_flag("--version", std::string(program) + " " + GLOWMOTION_VERSION);
}

CommandLineOutcome readCommandLine(CLI::App& app, int argc, const char* const* argv) {
    CommandLineOutcome outcome;
    try {
        // CLI11 takes the arguments in reverse order, without the program name.
        std::vector<std::string> args;
        for (int i = argc - 1; i > 0; --i) args.emplace_back(argv[i]);
        app.parse(args);
    } catch (const CLI::CallForHelp&) {
        outcome.out = app.help();
        outcome.status = 0;
    } catch (const CLI::CallForAllHelp&) {
        outcome.out = app.help("", CLI::AppFormatMode::All);
        outcome.status = 0;
    } catch (const CLI::CallForVersion& version) {
        outcome.out = std::string(version.what()) + "\n";
        outcome.status = 0;
    } catch (const CLI::ParseError& error) {
        outcome.err = commandLineError(app, error.what());
        outcome.status = 2;
    }
    return outcome;
}

int parseCommandLine(CLI::App& app, int argc, const char* const* argv) {
    const CommandLineOutcome outcome = readCommandLine(app, argc, argv);
    std::fputs(outcome.out.c_str(), stdout);
    std::fputs(outcome.err.c_str(), stderr);
    return outcome.status;
}

std::string commandLineError(const CLI::App& app, const std::string& what) {
    return app.get_name() + ": " + what + "\n" + kHint;
}

CLI::Validator integerIn(long min, long max) {
    const std::string range = std::to_string(min) + " to " + std::to_string(max);
    return CLI::Validator(
        [min, max, range](std::string& text) -> std::string {
            errno = 0;
            char* end = nullptr;
            const long value = std::strtol(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || errno != 0 || value < min || value > max)
                return "Value " + text + " not in range " + range;
            return {};
        },
        "");
}

CLI::Validator numberIn(double min, double max, const char* unit, bool maxExcluded) {
    std::string range = numberText(min) + " to " + numberText(max);
    if (maxExcluded) range += " (" + numberText(max) + " excluded)";
    if (unit && *unit) range += std::string(" ") + unit;
    return CLI::Validator(
        [min, max, maxExcluded, range](std::string& text) -> std::string {
            errno = 0;
            char* end = nullptr;
            const double value = std::strtod(text.c_str(), &end);
            const bool inRange = value >= min && (maxExcluded ? value < max : value <= max);
            if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(value) || !inRange)
                return "Value " + text + " not in range " + range;
            return {};
        },
        "");
}

CLI::Validator existingFolder() {
    return CLI::Validator(
        [](std::string& path) -> std::string {
            struct stat info {};
            if (::stat(path.c_str(), &info) != 0) {
                if (errno == ENOENT) return "folder " + path + " does not exist";
                return "folder " + path + ": " + std::strerror(errno);
            }
            if (!S_ISDIR(info.st_mode)) return path + " is not a folder";
            return {};
        },
        "");
}

CLI::Validator nonEmpty(const char* what) {
    const std::string name = what;
    return CLI::Validator(
        [name](std::string& text) -> std::string { return text.empty() ? "needs a " + name : std::string(); },
        "");
}
