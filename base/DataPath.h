#pragma once
// Where the show's media files are read from: the data/ folder beside the
// executable unless the command line names another folder. Set once at
// start-up, before any scene loads; read by every loader.
#include <string>

void setDataDirectory(const std::string& directory);
// dataPath("font.fnt") -> "<data directory>/font.fnt"
std::string dataPath(const char* fileName);
