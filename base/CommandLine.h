#pragma once
// One command-line style for the show and every tool, on CLI11:
//   --help      prints the usage to standard output, status 0;
//   --version   prints "<program> <version>", status 0;
//   a bad command line prints "<program>: <what is wrong>" and the usage
//               hint to standard error, status 2.
// Every option that takes a number states its allowed range, and the range
// checks below name that range in the message.
#include <CLI/CLI.hpp>

#include <string>

// Configures `app` the shared way: the version flag, and the help layout,
// where an option's "Needs:" and "Excludes:" notes follow its description
// on lines of their own.
void setUpCommandLine(CLI::App& app, const char* program);

// The manual page of `app` in man(7) roff for manual section `section`:
// NAME (the first sentence of the description), SYNOPSIS (the usage line of
// the program and of each subcommand), DESCRIPTION, OPTIONS (every visible
// positional and option with its notes, as --help shows them), COMMANDS
// (each subcommand with its own), and the help footer as NOTES.
std::string manualPage(const CLI::App& app, int section);

// What parsing decided, before anything is printed.
struct CommandLineOutcome {
    int status = -1;   // -1: go on; otherwise the exit status (0 help/version, 2 error)
    std::string out;   // for standard output (help, version)
    std::string err;   // for standard error (the mistake and the hint)
};

// Parses argv without printing. With GLOWMOTION_MANUAL_PAGE=SECTION in the
// environment it parses nothing: the outcome is the program's manual page
// (manualPage) with status 0. The build writes the installed manual pages
// that way, from the same definitions --help prints.
CommandLineOutcome readCommandLine(CLI::App& app, int argc, const char* const* argv);

// Parses argv. Returns -1 when the program should go on, or the exit status
// when it should stop at once (0 after --help or --version, 2 after an error).
int parseCommandLine(CLI::App& app, int argc, const char* const* argv);

// The error text of a mistake found after parsing ("<program>: <what>" and
// the hint), in the same style as the parser's own.
std::string commandLineError(const CLI::App& app, const std::string& what);

// Range checks whose refusal reads "Value X not in range MIN to MAX" (the
// option's name is put in front by the parser). A value that is not a number
// at all is refused with the same text. They add nothing to the help text:
// the option's own description states the range.
//   integerIn: a whole number, MIN and MAX included;
//   numberIn:  a finite decimal number, MIN included, MAX included unless
//              `maxExcluded`; `unit` ("seconds") follows the range.
CLI::Validator integerIn(long min, long max);
CLI::Validator numberIn(double min, double max, const char* unit, bool maxExcluded = false);
// An existing folder: "folder X does not exist", "X is not a folder".
CLI::Validator existingFolder();
// Not the empty string: "needs a NAME".
CLI::Validator nonEmpty(const char* what);
