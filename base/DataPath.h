#pragma once
// Where the show's media files are read from: the data/ folder beside the
// executable (the build), else share/glowmotion/ or share/games/glowmotion/
// beside the executable's folder (an installed copy: P/bin/glowmotion reads
// P/share/glowmotion/; Debian's games layout, /usr/games/glowmotion, reads
// /usr/share/games/glowmotion/), unless the command line names another folder. Set once at start-up,
// before any scene loads; read by every loader.
#include <string>

void setDataDirectory(const std::string& directory);
// dataPath("font.fnt") -> "<data directory>/font.fnt"
std::string dataPath(const char* fileName);

// The media folder for an executable in `executableFolder`: its data/ when
// that is a folder, else the first of its ../share/glowmotion and
// ../share/games/glowmotion that is one, else its data/ (which then names
// where the media were looked for).
std::string findDataDirectory(const std::string& executableFolder);
