#include "app/WavWriter.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

namespace {
void put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

// The 44-byte header of a stereo 16-bit PCM file holding `frames` frames.
void header(uint8_t (&h)[44], int rate, int64_t frames) {
    const uint32_t dataBytes = static_cast<uint32_t>(frames * 4);
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, 36 + dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);                            // fmt chunk size
    put16(h + 20, 1);                             // PCM
    put16(h + 22, 2);                             // channels
    put32(h + 24, static_cast<uint32_t>(rate));
    put32(h + 28, static_cast<uint32_t>(rate) * 4);  // bytes per second
    put16(h + 32, 4);                             // bytes per frame
    put16(h + 34, 16);                            // bits per sample
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, dataBytes);
}
}  // namespace

WavWriter::~WavWriter() {
    if (file) std::fclose(file);
}

bool WavWriter::fail(std::string* error) {
    if (error) *error = path_ + ": " + (errno != 0 ? std::strerror(errno) : "write error");
    return false;
}

bool WavWriter::open(const std::string& path, int rate, std::string* error) {
    path_ = path;
    frames_ = 0;
    errno = 0;
    file = std::fopen(path.c_str(), "wb");
    if (!file) return fail(error);
    // Unbuffered: a write either lands whole or is taken back at once, so
    // what the file holds is always the frames counted.
    std::setvbuf(file, nullptr, _IONBF, 0);
    uint8_t h[44];
    header(h, rate, 0);
    rate_ = rate;
    if (std::fwrite(h, 1, sizeof h, file) != sizeof h) return fail(error);
    return true;
}

bool WavWriter::write(const float* interleaved, int64_t frames, std::string* error) {
    if (!file) return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(frames) * 4);
    for (int64_t i = 0; i < frames * 2; ++i) {
        float v = interleaved[i];
        v = v > 1.0f ? 1.0f : (v < -1.0f ? -1.0f : v);
        const auto sample = static_cast<int16_t>(std::lrint(v * 32767.0f));
        put16(&bytes[static_cast<size_t>(i) * 2], static_cast<uint16_t>(sample));
    }
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        // Whatever part of these samples was written goes again (a full
        // disk, a size limit): the file stays the frames written so far,
        // and finish() can still give it its header.
        const int code = errno;
        const off_t kept = static_cast<off_t>(44 + frames_ * 4);
        std::clearerr(file);
        if (::ftruncate(fileno(file), kept) == 0) std::fseek(file, kept, SEEK_SET);
        errno = code;
        return fail(error);
    }
    frames_ += frames;
    return true;
}

bool WavWriter::finish(std::string* error) {
    if (!file) return false;
    uint8_t h[44];
    header(h, rate_, frames_);
    errno = 0;
    const bool ok = std::fseek(file, 0, SEEK_SET) == 0 && std::fwrite(h, 1, sizeof h, file) == sizeof h &&
                    std::fflush(file) == 0;
    if (!ok) {
        fail(error);
        std::fclose(file);
        file = nullptr;
        return false;
    }
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    return closed || fail(error);
}
