#pragma once
// A recording into a folder: frame k as DIR/NNNNNN.png (k with six digits,
// top row first) and the music of the frames written as DIR/audio.wav,
// 16-bit stereo at 48000 Hz, always exactly as long as the frames: frame k
// appends samples [floor(k*48000/fps), floor((k+1)*48000/fps)).
//
// Frames are stored by a writer thread of the sink's own, one behind the
// frame being drawn: writeFrame copies the pixels and returns; the writer
// makes the PNG file and appends the frame's music. A frame that cannot be
// stored (its PNG, or its music: then the PNG goes too) ends the storing; the
// next writeFrame, or finishFrames(), reports it. Without a thread (none could be
// made) writeFrame stores the frame itself. Only the thread that made the
// sink may call it.
#include "app/FrameSink.h"
#include "app/WavWriter.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
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
    ~PngFolderSink() override;  // waits for the frame in hand
    PngFolderSink(const PngFolderSink&) = delete;
    PngFolderSink& operator=(const PngFolderSink&) = delete;

    // Starts DIR/audio.wav with `song` (already at the recording's first
    // sample; it may hold no module: silence), which only the sink uses from
    // then on. Without it no audio is written. Before the first frame.
    bool startAudio(SongRenderer& song, std::string* error);
    // Waits until every frame taken is stored. False with *error when one
    // could not be and writeFrame has not said so yet (the folder keeps the
    // frames before it).
    bool finishFrames(std::string* error);
    // Frames in the folder, each with its music; after finishFrames(), the
    // recording's length.
    int64_t framesStored();
    // Waits for the frames (as finishFrames, saying nothing of them) and
    // completes audio.wav. False with *error when it cannot be written.
    bool finish(std::string* error);

    bool topRowFirst() const override { return true; }
    // Takes frame `index` (the frames in order from 0). False, with *error,
    // when an earlier frame could not be stored: this one is not taken.
    bool writeFrame(int64_t index, const uint8_t* rgba, int width, int height, std::string* error) override;

private:
    // Stores `frame` as frame `index`, then its music: false, with the
    // reason in *why, when either cannot be written.
    bool store(int64_t index, const std::vector<uint8_t>& frame, int width, int height, std::string* why);
    void writeFrames();  // the writer thread
    // Waits (lock held) until the writer has no frame in hand.
    void waitIdle(std::unique_lock<std::mutex>& lock);

    std::string directory;
    int fps;
    SongRenderer* song = nullptr;
    WavWriter wav;
    std::vector<float> samples;

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<uint8_t> pending;  // the frame handed to the writer
    int64_t pendingIndex = -1;     // -1: none in hand
    int pendingWidth = 0, pendingHeight = 0;
    int64_t stored = 0;
    bool failed = false;    // a frame could not be stored: nothing more is
    bool reported = false;  // ... and writeFrame or finish has said so
    std::string failure;
    bool stopping = false;
    bool storeHere = false;  // no writer thread could be made
    std::thread writer;      // started by the first frame
};
