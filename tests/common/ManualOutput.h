#pragma once
// An audio output that opens without a device and mixes nothing by itself:
// the test pulls samples through it as the mixer thread would.
#include "app/AudioOutput.h"

#include <vector>

class ManualOutput final : public AudioOutput {
public:
    struct Record {
        bool works = true, open = false;  // what open() answers; whether it is open
        int rate = 0, bufferFrames = 0, closes = 0, locks = 0;
        Render renderer;
    };
    explicit ManualOutput(Record* record) : r(record) {}
    bool open(int rate, int bufferFrames, Render render) override {
        r->rate = rate, r->bufferFrames = bufferFrames, r->open = r->works;
        if (r->works) r->renderer = std::move(render);
        return r->works;
    }
    void close() override { ++r->closes, r->open = false, r->renderer = nullptr; }
    bool isOpen() const override { return r->open; }
    void lock() override { ++r->locks; }
    void unlock() override {}

private:
    Record* r;
};

// `frames` stereo frames pulled from `record`'s output (99 where nothing was written).
inline std::vector<float> pull(ManualOutput::Record& record, int frames) {
    std::vector<float> buffer(static_cast<size_t>(frames) * 2, 99.0f);
    if (record.renderer) record.renderer(buffer.data(), frames);
    return buffer;
}
