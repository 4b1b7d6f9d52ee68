#pragma once
// The show's music: the module file in the media folder, the two rates it
// is mixed at, and the one loader that the live player (MusicPlayer) and
// the recording's renderer (SongRenderer) both read it with.
#include <memory>
#include <string>

namespace openmpt { class module; }

// The module, in the media folder (base/DataPath.h).
constexpr const char* kMusicFileName = "km_groov.it";

// Live: 44000 Hz, the rate the show has always opened its sound output at;
// SDL converts it to whatever the device runs at.
constexpr int kLiveMixRate = 44000;
// Recording: 48000 Hz, the rate of video soundtracks (AAC and Opus take it
// as it is, so ffmpeg resamples nothing), and whole samples per frame at
// the usual frame rates.
constexpr int kRecordingMixRate = 48000;

// Reads the module at `path` (a regular file of at most kMaxModuleBytes)
// as a song that plays once, never looping, and whose notes struck before
// a place sought sound on from there. Null, with *why ("<path>: <reason>"),
// when the file cannot be read or holds no module the player can read.
std::unique_ptr<openmpt::module> loadSong(const std::string& path, std::string* why);
