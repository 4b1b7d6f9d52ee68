// The music tool: the instruments it synthesizes, and the module the build
// wrote to data/km_groov.it, read by two independent players (libopenmpt
// and libxmp), its sections where the show's moments are.
#include <gtest/gtest.h>
#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <libopenmpt/libopenmpt.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "ItWriter.h"
#include "Song.h"
#include "Synth.h"
#include "base/Timeline.h"
#include "common/Files.h"

namespace {

using music::Wave;

const std::vector<uint8_t>& file() {
    static const std::vector<uint8_t> bytes = testfiles::readFile(GLOWMOTION_DATA_DIR "/km_groov.it");
    return bytes;
}
const music::Song& song() {
    static const music::Song s = music::composeSong();
    return s;
}
// The fundamental over 80 ms from `from` seconds: past the lobe around lag 0,
// the first autocorrelation peak close to the best one (30 Hz .. 2 kHz).
double pitchOf(const Wave& w, double from) {
    const size_t at = size_t(from * w.rate), n = size_t(0.08 * w.rate), minLag = w.rate / 2000;
    std::vector<double> r(w.rate / 30 + 2, 0.0);
    for (size_t lag = minLag; lag < r.size(); ++lag)
        for (size_t i = 0; i < n; ++i) r[lag] += w.pcm.at(at + i) * w.pcm.at(at + i + lag);
    const double best = *std::max_element(r.begin(), r.end());
    size_t lag = minLag;
    while (r[lag] > 0.5 * best) ++lag;
    while (r[lag] < 0.9 * best || r[lag] < r[lag + 1] || r[lag] < r[lag - 1]) ++lag;
    const double a = r[lag - 1], b = r[lag], c = r[lag + 1];
    return w.rate / (double(lag) + 0.5 * (a - c) / (a - 2 * b + c));
}

TEST(Synth, InstrumentsAreCleanAndSoundAsNamed) {
    // Each with the time past its attack where a pitched one sounds its root note.
    const std::vector<std::pair<Wave, double>> all = {
        {music::kick(), 0},     {music::clap(), 0},   {music::snare(), 0},       {music::closedHat(), 0},
        {music::openHat(), 0},  {music::shaker(), 0}, {music::crash(), 0},       {music::riser(3.0), 0},
        {music::bass(), 0.25},  {music::stab(), 0.1}, {music::stringPad(), 0.6}, {music::lead(), 0.3},
        {music::synDrum(), 0.4}};
    for (size_t i = 0; i < all.size(); ++i) {
        const auto& [w, from] = all[i];
        SCOPED_TRACE(i);
        double peak = 0;
        for (float v : w.pcm) peak = std::max<double>(peak, std::isfinite(v) ? std::fabs(v) : 1e9);
        EXPECT_TRUE(w.pcm.size() > 1000 && peak <= 1.0 && peak > 0.8) << peak;
        if (w.loop) {  // the wrap is no larger a step than any inside the loop
            float step = 0;
            for (size_t k = w.loopBegin + 1; k < w.loopEnd; ++k)
                step = std::max(step, std::fabs(w.pcm.at(k) - w.pcm[k - 1]));
            EXPECT_LE(std::fabs(w.pcm[w.loopBegin] - w.pcm.at(w.loopEnd - 1)), step);  // and within the data
        }
        if (from > 0) {
            EXPECT_LT(std::fabs(1200 * std::log2(pitchOf(w, from) / (440 * std::pow(2, (w.rootMidi - 69) / 12.0)))),
                      30);
        }
    }
}

TEST(Module, FileIsTheCompositionAndBothPlayersReadAllOfIt) {
    const music::ItModule& m = song().module;
    ASSERT_TRUE(music::writeIt(m) == file()) << "data/km_groov.it is not what the tool composes now";
    // Each channel's pan and volume; the channels past the last switched off.
    for (int ch = 0; ch < 64; ++ch)
        EXPECT_EQ(file()[0x40 + ch] | file()[0x80 + ch] << 8,
                  ch < m.channels ? m.channelPan[ch] | m.channelVolume[ch] << 8 : (32 | 128) | file()[0x80 + ch] << 8)
            << "channel " << ch;
    // A pattern note is the pitch heard: the bass sample, made at A1, plays at its own rate on A1.
    EXPECT_NEAR(m.samples[music::kBassSample - 1].c5Speed * std::pow(2.0, (33 - 60) / 12.0), 44100.0, 1.0);
    std::ostringstream log;
    openmpt::module module(file(), log);
    EXPECT_EQ(log.str() + module.get_metadata("warnings"), "");
    EXPECT_EQ(std::vector<int>({module.get_num_channels(), module.get_num_samples(), module.get_num_instruments()}),
              std::vector<int>({music::kChannelCount, music::kSampleCount, 0}));
    EXPECT_NEAR(module.get_duration_seconds(), music::barStart(song().totalBars), 0.1);
    ASSERT_EQ(module.get_num_orders(), int(m.orders.size()));
    for (size_t o = 0; o < m.orders.size(); ++o) EXPECT_EQ(module.get_order_pattern(int(o)), m.orders[o]);
    ASSERT_EQ(module.get_num_patterns(), int(m.patterns.size()));
    for (int p = 0; p < int(m.patterns.size()); ++p) {
        ASSERT_EQ(module.get_pattern_num_rows(p), m.patterns[p].rows);
        for (int row = 0; row < m.patterns[p].rows; ++row)
            for (int ch = 0; ch < m.channels; ++ch) {
                const music::ItCell& c = m.patterns[p].at(row, ch);
                const int note = c.note == music::ItCell::kNone ? 0 : c.note < 120 ? c.note + 1 : c.note;
                const auto read = [&](int what) { return module.get_pattern_row_channel_command(p, row, ch, what); };
                using M = openmpt::module;
                ASSERT_EQ(std::vector<int>({read(M::command_note), read(M::command_instrument),
                                            read(M::command_volumeffect) ? read(M::command_volume) : -1,
                                            read(M::command_effect) != 0, c.effect ? read(M::command_parameter) : 0}),
                          std::vector<int>({note, c.sample, c.volume, c.effect != 0, c.param}))
                    << "pattern " << p << " row " << row << " channel " << ch;
            }
    }
    xmp_context xmp = xmp_create_context();
    ASSERT_EQ(xmp_load_module_from_memory(xmp, file().data(), long(file().size())), 0);
    xmp_module_info info;
    xmp_get_module_info(xmp, &info);
    ASSERT_GE(info.mod->len, int(m.orders.size()));  // and the end marker, perhaps
    EXPECT_EQ(std::vector<int>(info.mod->xxo, info.mod->xxo + m.orders.size()), m.orders);
    EXPECT_NEAR(info.seq_data[0].duration / 1000.0, module.get_duration_seconds(), 0.5);
    // Each sample as stored: 16 bits, looped as made, the same data.
    for (size_t i = 0; i < m.samples.size(); ++i) {
        const music::ItSample& s = m.samples[i];
        const xmp_sample& x = info.mod->xxs[i];
        EXPECT_EQ(std::vector<int>({x.len, x.lps, x.lpe, x.flg & (XMP_SAMPLE_16BIT | XMP_SAMPLE_LOOP)}),
                  std::vector<int>({int(s.data.size()), s.loop ? int(s.loopBegin) : 0, s.loop ? int(s.loopEnd) : 0,
                                    XMP_SAMPLE_16BIT | (s.loop ? XMP_SAMPLE_LOOP : 0)}))
            << s.name;
        EXPECT_EQ(std::memcmp(x.data, s.data.data(), 2 * s.data.size()), 0) << s.name;
    }
    xmp_release_module(xmp);
    xmp_free_context(xmp);
}

TEST(Module, SectionsFollowTheShow) {
    ASSERT_EQ(int(song().sections.size()), kShowMomentCount);
    int next = 0;
    for (int i = 0; i < kShowMomentCount; ++i) {
        const music::Section& s = song().sections[size_t(i)];
        EXPECT_TRUE(s.name == kShowMoments[i].name && s.firstBar == next) << s.name;
        EXPECT_LE(std::fabs(music::barStart(s.firstBar) - kShowMoments[i].start), music::barStart(1) / 2) << s.name;
        next += s.bars;
    }
    EXPECT_EQ(next, song().totalBars);
    ASSERT_TRUE(music::barStart(next) > kShowEnd && music::barStart(next) < kShowEnd + 5)
        << "outlasts the show, by little";
}

}  // namespace
