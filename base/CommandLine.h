#pragma once
// One command-line style for the show and every tool, on CLI11:
//   --help      prints the usage to standard output, status 0;
//   --version   prints "<program> <version>", status 0;
//   a bad command line prints "<program>: <what is wrong>" and the usage
//               hint to standard error, status 2.
// Every option that takes a number states its allowed range, and CLI11's
// range checks name that range in the message.
#include <CLI/CLI.hpp>

// Configures `app` the shared way (version flag, help footer).
void setUpCommandLine(CLI::App& app, const char* program);

// Parses argv. Returns -1 when the program should go on, or the exit status
// when it should stop at once (0 after --help or --version, 2 after an error).
int parseCommandLine(CLI::App& app, int argc, const char* const* argv);
