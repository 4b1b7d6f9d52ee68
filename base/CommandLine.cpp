#include "base/CommandLine.h"

#include <cstdio>
#include <string>

void setUpCommandLine(CLI::App& app, const char* program) {
    app.name(program);
    app.set_version_flag("--version", std::string(program) + " " + GLOWMOTION_VERSION);
}

int parseCommandLine(CLI::App& app, int argc, const char* const* argv) {
    try {
        // CLI11 takes the arguments in reverse order, without the program name.
        std::vector<std::string> args;
        for (int i = argc - 1; i > 0; --i) args.emplace_back(argv[i]);
        app.parse(args);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        std::fputs(app.help("", CLI::AppFormatMode::All).c_str(), stdout);
        return 0;
    } catch (const CLI::CallForVersion& version) {
        std::printf("%s\n", version.what());
        return 0;
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "%s: %s\nRun with --help for more information.\n", app.get_name().c_str(),
                     error.what());
        return 2;
    }
    return -1;
}
