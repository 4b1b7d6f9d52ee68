// A module file as the show plays it: MusicPlayer reads it with the show's
// size limit and hands it to libopenmpt; what loaded is rendered for a while.
#include "FuzzInputs.h"

#include "app/MusicPlayer.h"

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
        frames = bufferFrames;
        renderer = std::move(render);
        return true;
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
    if (!player.hasSong()) {
        require(player.songTitle().empty() && player.songPosition() == 0.0, "no song, yet a title or a position");
        return "silent";
    }
    (void)player.songTitle();
    std::vector<float> buffer(static_cast<size_t>(out->frames) * 2);
    for (int done = 0; done < kModuleRenderFrames; done += out->frames) {
        out->renderer(buffer.data(), out->frames);
        for (float sample : buffer) require(std::isfinite(sample), "a rendered sample is not a number");
    }
    const double position = player.songPosition();
    require(std::isfinite(position) && position >= 0.0, "the song position is not a time");
    player.stop();
    require(!player.hasSong(), "stop kept the song");
    return "played";
}

}  // namespace fuzzinputs
