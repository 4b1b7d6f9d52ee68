#pragma once
#include <string>

// The operation reference in Markdown, made from the opcode table: for each
// operation its summary and operands (name, values, meaning). With an
// examples folder, each operation's example program (FOLDER/<Name>.txt) and
// its picture (<folder name>/<Name>.png) follow; *error names a missing one.
bool operationReference(const std::string& examplesFolder, std::string* markdown, std::string* error);
