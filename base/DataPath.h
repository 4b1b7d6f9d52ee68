#pragma once
// Where the show's media files are read from: the data/ folder beside the
// executable (the build), else share/glowmotion/ or share/games/glowmotion/
// beside the executable's folder (an installed copy: P/bin/glowmotion reads
// P/share/glowmotion/; Debian's games layout, /usr/games/glowmotion, reads
// /usr/share/games/glowmotion/), unless the command line names another folder. Set once at start-up,
// before any scene loads; read by every loader.
//
// Every file name asked for is noted, so that once the show has loaded it
// can tell which of its media files the folder lacks (all of them: the
// wrong folder).
#include <string>
#include <vector>

// Sets the folder and forgets the names asked for so far.
void setDataDirectory(const std::string& directory);
const std::string& dataDirectory();
// dataPath("font.fnt") -> "<data directory>/font.fnt"; notes the name.
std::string dataPath(const char* fileName);

// The names asked for since the folder was set, each once, in the order
// first asked; and those of them that are no regular file in the folder.
const std::vector<std::string>& dataFilesAsked();
std::vector<std::string> dataFilesMissing();

// The media folder for an executable in `executableFolder`: its data/ when
// that is a folder, else the first of its ../share/glowmotion and
// ../share/games/glowmotion that is one, else its data/ (which then names
// where the media were looked for).
std::string findDataDirectory(const std::string& executableFolder);
