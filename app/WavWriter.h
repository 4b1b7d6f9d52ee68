#pragma once
// Writes a 16-bit stereo PCM WAV file as samples come in; the header's sizes
// are set when the file is finished, so a file finished early (a recording
// stopped by Ctrl-C, or by a full disk) is still a whole, playable WAV of
// what was written. Finishing only rewrites the header in place: it needs no
// more room on the disk.
#include <cstdint>
#include <cstdio>
#include <string>

class WavWriter {
public:
    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Creates (or replaces) `path`. False with *error ("<path>: <reason>").
    bool open(const std::string& path, int rate, std::string* error);
    // Appends `frames` stereo frames of floats in [-1, 1] (clipped beyond).
    // When they cannot all be written, none is kept: the file holds the
    // frames written before, and finish() still makes it whole.
    bool write(const float* interleaved, int64_t frames, std::string* error);
    // Sets the sizes in the header and closes the file.
    bool finish(std::string* error);

    int64_t framesWritten() const { return frames_; }

private:
    bool fail(std::string* error);

    std::FILE* file = nullptr;
    std::string path_;
    int64_t frames_ = 0;
    int rate_ = 0;
};
