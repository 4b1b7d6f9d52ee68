#pragma once
// A recording into a folder: frame k as DIR/NNNNNN.png (k with six digits,
// top row first) and the music of the frames written as DIR/audio.wav,
// 16-bit stereo at 48000 Hz, always exactly as long as the frames: frame k
// appends samples [floor(k*48000/fps), floor((k+1)*48000/fps)).
#include "app/FrameSink.h"
#include "app/WavWriter.h"

#include <string>
#include <vector>

class SongRenderer;

// How a folder for a recording was found.
enum class CaptureFolder {
    Ready,        // exists (made if need be) and holds no frames
    HoldsFrames,  // holds files named NNNNNN.png (or audio.wav) and overwriting was not asked for
    Unusable,     // cannot be made, or is not a folder
};

// Makes `directory` and its parents when missing and checks it for frames of
// an earlier recording (NNNNNN.png, audio.wav). With `overwrite` those are
// removed first, so the folder ends up holding exactly the new recording. On
// anything but Ready, *error says why ("<directory>: <reason>").
CaptureFolder prepareCaptureFolder(const std::string& directory, bool overwrite, std::string* error);

class PngFolderSink final : public FrameSink {
public:
    PngFolderSink(std::string directory, int fps);

    // Starts DIR/audio.wav with `song` (already at the recording's first
    // sample; it may hold no module: silence). Without it no audio is written.
    bool startAudio(SongRenderer& song, std::string* error);
    // Completes audio.wav. False with *error when it cannot be written.
    bool finish(std::string* error);

    bool topRowFirst() const override { return true; }
    bool writeFrame(int64_t index, const uint8_t* rgba, int width, int height, std::string* error) override;

private:
    std::string directory;
    int fps;
    SongRenderer* song = nullptr;
    WavWriter wav;
    std::vector<float> samples;
};
