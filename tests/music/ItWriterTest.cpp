// The Impulse Tracker writer on its own: packed pattern bytes, header
// fields at their offsets, sample headers and data, and what validate()
// refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ItWriter.h"

using music::ItCell;
using music::ItModule;
using music::ItPattern;
using music::ItSample;

namespace {

ItCell noteCell(int note, int sample, int volume) {
    ItCell c;
    c.note = note;
    c.sample = sample;
    c.volume = volume;
    return c;
}

unsigned u16At(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t u32At(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(u16At(b, at) | (u16At(b, at + 2) << 16));
}

ItModule smallModule() {
    ItModule m;
    m.title = "Test";
    m.initialSpeed = 6;
    m.initialTempo = 126;
    m.mixVolume = 80;
    m.channels = 2;
    m.channelPan[0] = 10;
    m.channelPan[1] = 50;
    m.channelVolume[0] = 64;
    m.channelVolume[1] = 40;
    ItSample one;
    one.name = "One";
    one.fileName = "one.raw";
    one.data = {0, 1000, -1000, 32767, -32768};
    one.c5Speed = 22050;
    ItSample two;
    two.name = "Two";
    two.data = std::vector<int16_t>(100, 7);
    two.loop = true;
    two.loopBegin = 10;
    two.loopEnd = 90;
    two.defaultVolume = 50;
    m.samples = {one, two};
    ItPattern p(32, 2);
    p.at(0, 0) = noteCell(60, 1, 64);
    p.at(4, 1) = noteCell(67, 2, 32);
    m.patterns = {p, ItPattern(64, 2)};
    m.orders = {0, 1, 0};
    return m;
}

}  // namespace

TEST(ItPacking, EmptyPatternIsOneEndByteARow) {
    EXPECT_EQ(music::packPattern(ItPattern(32, 4)), std::vector<uint8_t>(32, 0));
}

TEST(ItPacking, RepeatedValuesUseTheChannelMemory) {
    ItPattern p(32, 2);
    p.at(0, 0) = noteCell(60, 1, 64);
    p.at(1, 0) = noteCell(60, 1, 64);  // all three values as last time
    p.at(2, 0) = noteCell(60, 1, 64);  // ...and the same mask as last time
    p.at(3, 0) = noteCell(62, 1, 64);  // a new note, same sample and volume
    const std::vector<uint8_t> packed = music::packPattern(p);
    const std::vector<uint8_t> expected{
        0x81, 0x07, 60, 1, 64, 0,  // new mask, note + sample + volume
        0x81, 0x70, 0,             // new mask: last note, sample, volume
        0x01, 0,                   // mask unchanged: channel byte alone
        0x81, 0x61, 62, 0,         // note written, sample and volume remembered
    };
    ASSERT_GE(packed.size(), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(packed.begin(), packed.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_EQ(packed.size(), expected.size() + 28);  // 28 empty rows
}

TEST(ItPacking, MemoryIsPerChannelAndEffectsCompareTheirParameter) {
    ItPattern p(32, 2);
    p.at(0, 0) = noteCell(60, 1, ItCell::kNone);
    p.at(0, 1) = noteCell(60, 1, ItCell::kNone);  // same values, other channel: written out
    p.at(1, 1).effect = 22;
    p.at(1, 1).param = 100;
    p.at(2, 1).effect = 22;
    p.at(2, 1).param = 100;
    p.at(3, 1).effect = 22;
    p.at(3, 1).param = 99;
    const std::vector<uint8_t> packed = music::packPattern(p);
    const std::vector<uint8_t> expected{
        0x81, 0x03, 60, 1,   0x82, 0x03, 60, 1, 0,  // row 0: both channels in full
        0x82, 0x08, 22, 100, 0,                     // row 1: effect V64
        0x82, 0x80, 0,                              // row 2: same effect and parameter
        0x82, 0x08, 22, 99,  0,                     // row 3: new parameter, written again
    };
    ASSERT_GE(packed.size(), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(packed.begin(), packed.begin() + static_cast<long>(expected.size())), expected);
}

TEST(ItPacking, MemoryStartsEmptyInEveryPattern) {
    ItPattern p(32, 1);
    p.at(0, 0) = noteCell(60, 1, 64);
    // Packing the same pattern twice gives the same bytes: nothing carries over.
    EXPECT_EQ(music::packPattern(p), music::packPattern(p));
    EXPECT_EQ(music::packPattern(p)[1], 0x07);
}

TEST(ItFile, HeaderFieldsSitAtTheirOffsets) {
    const ItModule m = smallModule();
    ASSERT_EQ(music::validate(m), "");
    const std::vector<uint8_t> b = music::writeIt(m);
    ASSERT_GT(b.size(), music::kItHeaderSize);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "IMPM");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[4])), "Test");
    EXPECT_EQ(b[0x1E], 4);
    EXPECT_EQ(b[0x1F], 16);
    EXPECT_EQ(u16At(b, 0x20), 4u);  // three orders and the end marker
    EXPECT_EQ(u16At(b, 0x22), 0u);  // sample mode
    EXPECT_EQ(u16At(b, 0x24), 2u);
    EXPECT_EQ(u16At(b, 0x26), 2u);
    EXPECT_EQ(u16At(b, 0x28), 0x0214u);
    EXPECT_EQ(u16At(b, 0x2A), 0x0214u);
    EXPECT_EQ(u16At(b, 0x2C) & 0x05u, 0x01u);  // stereo, no instruments
    EXPECT_EQ(b[0x30], 128);
    EXPECT_EQ(b[0x31], 80);
    EXPECT_EQ(b[0x32], 6);
    EXPECT_EQ(b[0x33], 126);
    EXPECT_EQ(b[0x40], 10);
    EXPECT_EQ(b[0x41], 50);
    EXPECT_EQ(b[0x42], 32 | 128);  // unused channels are switched off
    EXPECT_EQ(b[0x81], 40);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 0xC0, b.begin() + 0xC4), (std::vector<uint8_t>{0, 1, 0, 255}));
}

TEST(ItFile, SampleHeadersPointAtTheirData) {
    const ItModule m = smallModule();
    const std::vector<uint8_t> b = music::writeIt(m);
    const size_t table = 0xC0 + 4;
    for (size_t i = 0; i < m.samples.size(); ++i) {
        SCOPED_TRACE(i);
        const ItSample& s = m.samples[i];
        const size_t h = u32At(b, table + 4 * i);
        ASSERT_LE(h + music::kItSampleHeaderSize, b.size());
        EXPECT_EQ(std::string(b.begin() + static_cast<long>(h), b.begin() + static_cast<long>(h) + 4), "IMPS");
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[h + 0x14])), s.name);
        EXPECT_EQ(b[h + 0x12], s.loop ? 0x13 : 0x03);  // data present, 16-bit, loop
        EXPECT_EQ(b[h + 0x13], s.defaultVolume);
        EXPECT_EQ(b[h + 0x2E], 1);  // signed
        EXPECT_EQ(u32At(b, h + 0x30), s.data.size());
        EXPECT_EQ(u32At(b, h + 0x34), s.loop ? s.loopBegin : 0u);
        EXPECT_EQ(u32At(b, h + 0x38), s.loop ? s.loopEnd : 0u);
        EXPECT_EQ(u32At(b, h + 0x3C), s.c5Speed);
        const size_t data = u32At(b, h + 0x48);
        ASSERT_LE(data + 2 * s.data.size(), b.size());
        for (size_t k = 0; k < s.data.size(); ++k) {
            EXPECT_EQ(static_cast<int16_t>(u16At(b, data + 2 * k)), s.data[k]);
        }
    }
}

TEST(ItFile, PatternsCarryLengthRowsAndPackedRows) {
    const ItModule m = smallModule();
    const std::vector<uint8_t> b = music::writeIt(m);
    const size_t table = 0xC0 + 4 + 4 * m.samples.size();
    for (size_t i = 0; i < m.patterns.size(); ++i) {
        SCOPED_TRACE(i);
        const std::vector<uint8_t> packed = music::packPattern(m.patterns[i]);
        const size_t at = u32At(b, table + 4 * i);
        ASSERT_LE(at + 8 + packed.size(), b.size());
        EXPECT_EQ(u16At(b, at), packed.size());
        EXPECT_EQ(u16At(b, at + 2), static_cast<unsigned>(m.patterns[i].rows));
        EXPECT_EQ(u32At(b, at + 4), 0u);
        EXPECT_EQ(std::vector<uint8_t>(b.begin() + static_cast<long>(at) + 8,
                                       b.begin() + static_cast<long>(at + 8 + packed.size())),
                  packed);
    }
}

TEST(ItFile, MessageIsStoredWithCarriageReturns) {
    ItModule m = smallModule();
    m.message = "one\ntwo";
    const std::vector<uint8_t> b = music::writeIt(m);
    EXPECT_EQ(u16At(b, 0x2E) & 1u, 1u);
    EXPECT_EQ(u16At(b, 0x36), 8u);
    const size_t at = u32At(b, 0x38);
    ASSERT_LE(at + 8, b.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[at])), "one\rtwo");
}

TEST(ItValidate, RefusesWhatPlayersWouldNotAccept) {
    EXPECT_EQ(music::validate(smallModule()), "");
    ItModule m = smallModule();
    m.globalVolume = 129;
    EXPECT_NE(music::validate(m), "");
    m = smallModule();
    m.mixVolume = 200;
    EXPECT_NE(music::validate(m), "");
    m = smallModule();
    m.samples[1].loopEnd = 101;
    EXPECT_NE(music::validate(m), "");
    m = smallModule();
    m.patterns[0] = ItPattern(16, 2);
    EXPECT_NE(music::validate(m), "");
    m = smallModule();
    m.patterns[0].at(1, 1).note = 120;
    EXPECT_NE(music::validate(m), "");
    m = smallModule();
    m.patterns[0].at(1, 1).sample = 3;
    EXPECT_NE(music::validate(m), "");
    m = smallModule();
    m.orders.push_back(2);
    EXPECT_NE(music::validate(m), "");
}
