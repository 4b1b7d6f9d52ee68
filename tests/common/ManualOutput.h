#pragma once
// An audio output that opens without a device and mixes nothing by itself:
// the test pulls samples through `renderer` as the mixer thread would.
#include "app/AudioOutput.h"

class ManualOutput final : public AudioOutput {
public:
    struct Record {
        bool openResult = true;
        int rate = 0, bufferFrames = 0, opens = 0, closes = 0, locks = 0;
        bool open = false;
    };
    explicit ManualOutput(Record* record) : r(record) {}
    bool open(int rate, int bufferFrames, Render render) override {
        ++r->opens;
        r->rate = rate;
        r->bufferFrames = bufferFrames;
        if (!r->openResult) return false;
        renderer = std::move(render);
        r->open = true;
        return true;
    }
    void close() override {
        ++r->closes;
        r->open = false;
        renderer = nullptr;
    }
    bool isOpen() const override { return r->open; }
    void lock() override { ++r->locks; }
    void unlock() override {}

    Render renderer;
    Record* r;
};
