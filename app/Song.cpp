#include "app/Song.h"

#include "base/FileRead.h"

#include <libopenmpt/libopenmpt.hpp>

#include <cstdint>
#include <sstream>
#include <vector>

std::unique_ptr<openmpt::module> loadSong(const std::string& path, std::string* why) {
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path.c_str(), kMaxModuleBytes, &bytes, why)) return nullptr;
    try {
        std::ostringstream log;  // the loader's remarks are nobody's business
        auto song = std::make_unique<openmpt::module>(bytes, log);
        song->set_repeat_count(0);
        song->ctl_set_boolean("seek.sync_samples", true);
        return song;
    } catch (const std::exception&) {
        // libopenmpt only says "error loading file"; say what that means here.
        if (why) *why = path + ": not a tracker module the player can read";
        return nullptr;
    }
}
