// A module file as the show plays it: MusicPlayer reads it with the show's
// loader (size limit, libopenmpt) and renders it for a while.
#include "FuzzInputs.h"

#include "app/MusicPlayer.h"
#include "app/Song.h"

#include <libopenmpt/libopenmpt.hpp>

#include <cmath>
#include <memory>
#include <vector>

namespace fuzzinputs {

namespace {

// An output that opens at once and is pulled by the runner itself: the
// player's render path without a sound device or a mixing thread.
class PulledOutput final : public AudioOutput {
public:
    bool open(int, int bufferFrames, Render render) override {
        return frames = bufferFrames, renderer = std::move(render), true;
    }
    void close() override { renderer = nullptr; }
    bool isOpen() const override { return static_cast<bool>(renderer); }
    void lock() override {}
    void unlock() override {}

    Render renderer;
    int frames = 0;
};

}  // namespace

std::string runModuleInput(const uint8_t* data, size_t size) {
    const std::string path = inputFile("music.it", data, size);
    auto output = std::make_unique<PulledOutput>();
    PulledOutput* out = output.get();
    MusicPlayer player(std::move(output));
    require(player.init(44100), "the pulled output did not open");
    player.play(path.c_str());
    // The player holds a song exactly when the show's loader takes the file.
    const bool loaded = loadSong(path, nullptr) != nullptr;
    std::vector<float> buffer(static_cast<size_t>(out->frames) * 2);
    for (int done = 0; done < kModuleRenderFrames; done += out->frames) {
        out->renderer(buffer.data(), out->frames);
        for (float sample : buffer)
            require(std::isfinite(sample) && (loaded || sample == 0.0f), "a sample not a number, or a sound, no song");
    }
    player.stop();
    require(!out->isOpen(), "stop left the output open");
    return loaded ? "played" : "silent";
}

}  // namespace fuzzinputs
