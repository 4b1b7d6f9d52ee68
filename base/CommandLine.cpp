#include "base/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace {
const char* const kHint = "Run with --help for more information.\n";

// "125", "0.5", "3600": the shortest form that reads back as the value.
std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

// The environment variable that turns a program into the writer of its own
// manual page, for the build; the value is the manual section.
const char* const kManualPageVariable = "GLOWMOTION_MANUAL_PAGE";

// "Needs: --capture", "Excludes: --exclusive --capture": what an option
// requires or refuses, in the parser's own words.
std::vector<std::string> optionNotes(const CLI::Option& option) {
    std::vector<std::string> notes;
    auto note = [&](const char* label, const std::set<CLI::Option*>& others) {
        if (others.empty()) return;
        std::string text = label;
        for (const CLI::Option* other : others) text += " " + other->get_name();
        notes.push_back(text);
    };
    note("Needs:", option.get_needs());
    note("Excludes:", option.get_excludes());
    return notes;
}

// The name column keeps the names and the value; the notes go under the
// description, where they no longer push it out of its column.
class NotesFormatter : public CLI::Formatter {
public:
    std::string make_option_opts(const CLI::Option* option) const override {
        std::string text;
        if (!option->get_option_text().empty()) return " " + option->get_option_text();
        if (option->get_type_size() != 0) {
            if (!option->get_type_name().empty()) text += " " + get_label(option->get_type_name());
            if (!option->get_default_str().empty()) text += "=" + option->get_default_str();
            if (option->get_expected_max() == CLI::detail::expected_max_vector_size)
                text += " ...";
            else if (option->get_expected_min() > 1)
                text += " x " + std::to_string(option->get_expected());
            if (option->get_required()) text += " " + get_label("REQUIRED");
        }
        if (!option->get_envname().empty()) text += " (" + get_label("Env") + ":" + option->get_envname() + ")";
        return text;
    }
    std::string make_option_desc(const CLI::Option* option) const override {
        std::string text = option->get_description();
        for (const std::string& note : optionNotes(*option)) text += (text.empty() ? "" : "\n") + note;
        return text;
    }
};

// --- man(7) roff --------------------------------------------------------

// One line of text for roff: backslashes kept, a leading '.' or '\'' not
// taken for a request, and the hyphens of option names ("--fps", "-h")
// written as the minus sign they are; other hyphens stay hyphens.
std::string roffLine(const std::string& line) {
    std::string out;
    if (!line.empty() && (line[0] == '.' || line[0] == '\'')) out = "\\&";
    bool inOption = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const bool wordChar = std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
        if (c == '-' && (i == 0 || !std::isalnum(static_cast<unsigned char>(line[i - 1]))))
            inOption = true;
        else if (!wordChar)
            inOption = false;
        if (c == '\\')
            out += "\\e";
        else if (c == '-' && inOption)
            out += "\\-";
        else
            out += c;
    }
    return out;
}

// A help footer line that starts a new item: it opens with a short label
// ("Keys:", "Exit status:"), not with the rest of the line before.
bool startsItem(const std::string& line) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    const std::string label = line.substr(0, colon);
    return label.find_first_of(",;.'") == std::string::npos && std::count(label.begin(), label.end(), ' ') <= 2;
}

// Text that may span lines: one roff line each; roff fills them into a
// paragraph. With `items` (a help footer) each line that starts an item
// starts a new paragraph; the lines after it, wrapped for the terminal,
// are filled into it.
std::string roffText(const std::string& text, bool items = false) {
    std::string out;
    std::istringstream lines(text);
    std::string line;
    bool first = true;
    while (std::getline(lines, line)) {
        const size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos) continue;
        line = line.substr(start);
        if (items && (first || startsItem(line))) out += ".PP\n";
        out += roffLine(line) + "\n";
        first = false;
    }
    return out;
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The one-line summary of NAME: the description's first sentence, without
// a leading "Program: " and the full stop, starting in lower case unless it
// starts with a name in capitals.
std::string summary(const CLI::App& app) {
    std::string text = app.get_description();
    for (char& c : text)
        if (c == '\n') c = ' ';
    const std::string prefix = app.get_name() + ": ";
    if (text.size() > prefix.size() && upper(text.substr(0, prefix.size())) == upper(prefix))
        text = text.substr(prefix.size());
    const size_t end = text.find(". ");
    if (end != std::string::npos) text.resize(end);
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
    if (text.size() > 1 && std::isupper(static_cast<unsigned char>(text[0])) &&
        std::islower(static_cast<unsigned char>(text[1])))
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

// "glowmotion [OPTIONS]": the usage line --help prints, the program's name
// in bold.
std::string roffUsage(const CLI::App& app, const std::string& name) {
    std::string usage = NotesFormatter().make_usage(&app, name);
    const size_t start = usage.find(name);
    usage = usage.substr(start + name.size());
    while (!usage.empty() && (usage.back() == '\n' || usage.back() == ' ')) usage.pop_back();
    const size_t rest = usage.find_first_not_of(' ');
    const std::string operands = rest == std::string::npos ? "" : " " + roffLine(usage.substr(rest));
    return "\\fB" + roffLine(name) + "\\fR" + operands + "\n";
}

// One option as a tagged paragraph: names in bold, the value in italics,
// then the description and the notes.
std::string roffOption(const CLI::Option& option) {
    std::string tag;
    if (option.get_positional() && !option.nonpositional()) {
        tag = "\\fI" + roffLine(option.get_name(true, false)) + "\\fR";
    } else {
        std::stringstream names(option.get_name(false, true));
        std::string name;
        while (std::getline(names, name, ',')) tag += (tag.empty() ? "" : ", ") + ("\\fB" + roffLine(name) + "\\fR");
        if (option.get_type_size() != 0 && !option.get_type_name().empty())
            tag += " \\fI" + roffLine(option.get_type_name()) + "\\fR";
        if (!option.get_default_str().empty()) tag += "=" + roffLine(option.get_default_str());
    }
    std::string out = ".TP\n" + tag + "\n" + roffText(option.get_description());
    for (const std::string& note : optionNotes(option)) out += ".br\n" + roffLine(note) + "\n";
    return out;
}

// The visible positionals, then the visible options group by group, as
// --help lists them (a subcommand's own help flag left out).
std::string roffOptions(const CLI::App& app, bool subcommand) {
    std::string out;
    for (const CLI::Option* option : app.get_options())
        if (!option->get_group().empty() && option->get_positional() && !option->nonpositional())
            out += roffOption(*option);
    for (const std::string& group : app.get_groups()) {
        if (group.empty()) continue;
        for (const CLI::Option* option : app.get_options()) {
            if (option->get_group() != group || !option->nonpositional()) continue;
            if (subcommand && option == app.get_help_ptr()) continue;
            out += roffOption(*option);
        }
    }
    return out;
}

}  // namespace

void setUpCommandLine(CLI::App& app, const char* program) {
    app.name(program);
    app.set_version_flag("--version", std::string(program) + " " + GLOWMOTION_VERSION);
    app.formatter(std::make_shared<NotesFormatter>());
}

std::string manualPage(const CLI::App& app, int section) {
    const std::string name = app.get_name();
    const char* manual = section == 1 ? "User Commands" : section == 6 ? "Games" : "";
    std::string page = ".TH " + roffLine(upper(name)) + " " + std::to_string(section) + " \"\" \"" + "Glowmotion " +
                       GLOWMOTION_VERSION + "\" \"" + manual + "\"\n";
    page += ".SH NAME\n" + roffLine(name) + " \\- " + roffLine(summary(app)) + "\n";

    const std::vector<const CLI::App*> commands =
        app.get_subcommands([](const CLI::App* sub) { return !sub->get_disabled() && !sub->get_name().empty(); });
    page += ".SH SYNOPSIS\n" + roffUsage(app, name);
    for (const CLI::App* command : commands) page += ".br\n" + roffUsage(*command, name + " " + command->get_name());

    page += ".SH DESCRIPTION\n" + roffText(app.get_description());
    page += ".SH OPTIONS\n" + roffOptions(app, false);
    if (!commands.empty()) {
        page += ".SH COMMANDS\n";
        for (const CLI::App* command : commands) {
            page += ".SS " + roffLine(command->get_name()) + "\n" + roffText(command->get_description());
            page += roffOptions(*command, true);
        }
    }
    if (!app.get_footer().empty()) page += ".SH NOTES\n" + roffText(app.get_footer(), true);
    return page;
}

CommandLineOutcome readCommandLine(CLI::App& app, int argc, const char* const* argv) {
    CommandLineOutcome outcome;
    if (const char* section = std::getenv(kManualPageVariable)) {
        const int number = std::atoi(section);
        if (number < 1 || number > 9) {
            outcome.err = app.get_name() + ": " + kManualPageVariable + " must be a manual section, 1 to 9\n";
            outcome.status = 2;
        } else {
            outcome.out = manualPage(app, number);
            outcome.status = 0;
        }
        return outcome;
    }
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
