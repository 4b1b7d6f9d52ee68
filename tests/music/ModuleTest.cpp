// The module the build wrote to data/km_groov.it, read back by two
// independent players (libopenmpt and libxmp) and rendered to audio.
#include <gtest/gtest.h>
#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <libopenmpt/libopenmpt.hpp>

#include <libopenmpt/libopenmpt_ext.hpp>
#include <memory>
#include <sstream>
#include <vector>
#include "base/Timeline.h"

#include "ItWriter.h"
#include "Song.h"

namespace {

constexpr int kRate = 44000;  // the show's output rate

const std::vector<char>& moduleBytes() {
    static const std::vector<char> bytes = [] {
        std::ifstream in(GLOWMOTION_DATA_DIR "/km_groov.it", std::ios::binary);
        return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }();
    return bytes;
}

const music::Song& song() {
    static const music::Song s = music::composeSong();
    return s;
}

double dB(double v) { return 20.0 * std::log10(std::max(v, 1e-9)); }

// Loudness figures over blocks of 10 ms of a rendering.
struct Render {
    static constexpr int kBlock = kRate / 100;
    std::vector<double> sumSquares;  // per block, both channels
    std::vector<double> blockPeak;   // per block, both channels
    double peak = 0;
    double seconds = 0;

    double rms(double from, double to) const {
        const size_t a = static_cast<size_t>(from * 100);
        const size_t b = std::min(sumSquares.size(), static_cast<size_t>(to * 100));
        double sum = 0;
        for (size_t i = a; i < b; ++i) sum += sumSquares[i];
        return std::sqrt(sum / (2.0 * kBlock * static_cast<double>(b - a)));
    }
    double peakIn(double from, double to) const {
        double p = 0;
        for (size_t i = static_cast<size_t>(from * 100); i < std::min(blockPeak.size(), static_cast<size_t>(to * 100));
             ++i)
            p = std::max(p, blockPeak[i]);
        return p;
    }
    double blockDb(size_t i) const {
        return 20.0 * std::log10(std::max(std::sqrt(sumSquares[i] / (2.0 * kBlock)), 1e-9));
    }
};

// Renders with libopenmpt's default settings; `solo` >= 0 mutes every other
// channel. `mono`, when given, receives the mid signal.
Render render(int solo, std::vector<float>* mono) {
    openmpt::module_ext module(moduleBytes());
    auto* interactive = static_cast<openmpt::ext::interactive*>(module.get_interface(openmpt::ext::interactive_id));
    if (solo >= 0) {
        for (int ch = 0; ch < module.get_num_channels(); ++ch) interactive->set_channel_mute_status(ch, ch != solo);
    }
    Render r;
    std::vector<float> buffer(2 * Render::kBlock);
    for (;;) {
        const size_t frames = module.read_interleaved_stereo(kRate, Render::kBlock, buffer.data());
        if (frames == 0) break;
        double sum = 0, blockPeak = 0;
        for (size_t i = 0; i < 2 * frames; ++i) {
            sum += static_cast<double>(buffer[i]) * buffer[i];
            blockPeak = std::max(blockPeak, static_cast<double>(std::fabs(buffer[i])));
        }
        r.peak = std::max(r.peak, blockPeak);
        r.blockPeak.push_back(blockPeak);
        if (mono) {
            for (size_t i = 0; i < frames; ++i) mono->push_back(0.5f * (buffer[2 * i] + buffer[2 * i + 1]));
        }
        r.sumSquares.push_back(sum);
        r.seconds += static_cast<double>(frames) / kRate;
    }
    return r;
}

const Render& fullMix() {
    static const Render r = render(-1, nullptr);
    return r;
}

const music::Section& section(const std::string& name) {
    for (const music::Section& s : song().sections) {
        if (s.name == name) return s;
    }
    throw std::runtime_error("no section " + name);
}

double sectionStart(const std::string& name) { return music::barStart(section(name).firstBar); }
double sectionEnd(const std::string& name) {
    const music::Section& s = section(name);
    return music::barStart(s.firstBar + s.bars);
}

}  // namespace

TEST(Module, BuildWroteTheCurrentComposition) {
    ASSERT_FALSE(moduleBytes().empty()) << "missing " GLOWMOTION_DATA_DIR "/km_groov.it";
    const std::vector<uint8_t> fresh = music::writeIt(song().module);
    EXPECT_EQ(std::vector<char>(fresh.begin(), fresh.end()), moduleBytes());
}

TEST(Module, LibopenmptReadsWhatWasWrittenWithoutWarnings) {
    std::ostringstream log;
    openmpt::module module(moduleBytes(), log);
    EXPECT_EQ(log.str(), "");
    EXPECT_EQ(module.get_metadata("warnings"), "");
    EXPECT_EQ(module.get_metadata("type"), "it");
    EXPECT_EQ(module.get_metadata("tracker"), "Impulse Tracker 2.14");
    EXPECT_EQ(module.get_metadata("title"), song().module.title);
    EXPECT_NE(module.get_metadata("message").find("synthesized in code"), std::string::npos);
    EXPECT_EQ(module.get_num_channels(), music::kChannelCount);
    EXPECT_EQ(module.get_num_orders(), static_cast<int>(song().module.orders.size()));
    EXPECT_EQ(module.get_num_patterns(), static_cast<int>(song().module.patterns.size()));
    EXPECT_EQ(module.get_num_samples(), music::kSampleCount);
    EXPECT_EQ(module.get_num_instruments(), 0);
    const double duration = module.get_duration_seconds();
    EXPECT_GE(duration, 125.0);
    EXPECT_LE(duration, 130.0);
    EXPECT_NEAR(duration, music::barStart(song().totalBars), 0.1);
}

TEST(Module, LibopenmptSeesEveryCellThatWasWritten) {
    openmpt::module module(moduleBytes());
    const music::ItModule& m = song().module;
    for (size_t o = 0; o < m.orders.size(); ++o) {
        EXPECT_EQ(module.get_order_pattern(static_cast<int>(o)), m.orders[o]);
    }
    int notes = 0;
    for (size_t p = 0; p < m.patterns.size(); ++p) {
        const music::ItPattern& pattern = m.patterns[p];
        const int pat = static_cast<int>(p);
        ASSERT_EQ(module.get_pattern_num_rows(pat), pattern.rows);
        for (int row = 0; row < pattern.rows; ++row) {
            for (int ch = 0; ch < pattern.channels; ++ch) {
                const music::ItCell& c = pattern.at(row, ch);
                const auto read = [&](int what) { return module.get_pattern_row_channel_command(pat, row, ch, what); };
                SCOPED_TRACE("pattern " + std::to_string(p) + " row " + std::to_string(row) + " channel " +
                             std::to_string(ch));
                // libopenmpt counts notes from 1; cut and off keep their codes.
                const int note = c.note == music::ItCell::kNone ? 0 : c.note < 120 ? c.note + 1 : c.note;
                ASSERT_EQ(read(openmpt::module::command_note), note);
                ASSERT_EQ(read(openmpt::module::command_instrument), c.sample);
                if (c.volume != music::ItCell::kNone) {
                    ASSERT_EQ(read(openmpt::module::command_volume), c.volume);
                } else {
                    ASSERT_EQ(read(openmpt::module::command_volumeffect), 0);
                }
                ASSERT_EQ(read(openmpt::module::command_effect) != 0, c.effect != 0);
                if (c.effect) {
                    ASSERT_EQ(read(openmpt::module::command_parameter), c.param);
                }
                if (c.note >= 0 && c.note < 120) ++notes;
            }
        }
    }
    EXPECT_GT(notes, 1000);
}

TEST(Module, PatternNotesArePitchesInEachInstrumentsRegister) {
    // Samples are tuned so that a pattern note is the pitch heard: the bass
    // stays low, the drums sit on C-5, the lead above the pad.
    struct Range {
        int low = 1000, high = -1;
    };
    std::vector<Range> ranges(music::kChannelCount);
    for (const music::ItPattern& p : song().module.patterns) {
        for (int row = 0; row < p.rows; ++row) {
            for (int ch = 0; ch < p.channels; ++ch) {
                const int n = p.at(row, ch).note;
                if (n < 0 || n >= 120) continue;
                ranges[static_cast<size_t>(ch)].low = std::min(ranges[static_cast<size_t>(ch)].low, n);
                ranges[static_cast<size_t>(ch)].high = std::max(ranges[static_cast<size_t>(ch)].high, n);
            }
        }
    }
    const auto range = [&](int ch) { return ranges[static_cast<size_t>(ch)]; };
    EXPECT_GE(range(music::kBassChannel).low, 24);   // C1
    EXPECT_LE(range(music::kBassChannel).high, 52);  // E3
    EXPECT_EQ(range(music::kKickChannel).low, 60);
    EXPECT_EQ(range(music::kKickChannel).high, 60);
    EXPECT_GT(range(music::kLeadChannel).low, range(music::kPadChannel1).low);
    EXPECT_GE(range(music::kLeadChannel).low, 60);
    EXPECT_LE(range(music::kLeadChannel).high, 96);
    // The bass sample (recorded at A1) plays back at its own rate on A1.
    const music::ItSample& bass = song().module.samples[music::kBassSample - 1];
    EXPECT_NEAR(bass.c5Speed * std::pow(2.0, (33 - 60) / 12.0), 44100.0, 1.0);
}

TEST(Module, LibxmpLoadsItAndAgreesOnTheDuration) {
    xmp_context ctx = xmp_create_context();
    ASSERT_EQ(xmp_load_module_from_memory(ctx, moduleBytes().data(), static_cast<long>(moduleBytes().size())), 0);
    xmp_module_info info;
    xmp_get_module_info(ctx, &info);
    const music::ItModule& m = song().module;
    EXPECT_STREQ(info.mod->name, m.title.c_str());
    EXPECT_EQ(info.mod->chn, music::kChannelCount);
    EXPECT_EQ(info.mod->pat, static_cast<int>(m.patterns.size()));
    EXPECT_EQ(info.mod->smp, music::kSampleCount);
    EXPECT_EQ(info.mod->spd, music::kSpeed);
    EXPECT_EQ(info.mod->bpm, music::kTempo);
    ASSERT_GE(info.mod->len, static_cast<int>(m.orders.size()));
    for (size_t o = 0; o < m.orders.size(); ++o) EXPECT_EQ(info.mod->xxo[o], m.orders[o]);
    ASSERT_GE(info.num_sequences, 1);
    const double xmpSeconds = info.seq_data[0].duration / 1000.0;
    openmpt::module module(moduleBytes());
    EXPECT_NEAR(xmpSeconds, module.get_duration_seconds(), 0.5);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
}

TEST(Module, SectionsStartOnTheBarLinesNearestTheSceneChanges) {
    const double bar = music::barStart(1);
    EXPECT_NEAR(bar, 1.905, 0.001);
    ASSERT_EQ(song().sections.size(), 7u);
    int next = 0;
    for (const music::Section& s : song().sections) {
        SCOPED_TRACE(s.name);
        EXPECT_EQ(s.firstBar, next);
        next += s.bars;
        EXPECT_LE(std::fabs(music::barStart(s.firstBar) - s.sceneStart), bar / 2);
    }
    EXPECT_EQ(next, song().totalBars);
    // The song outlasts the show (125 s) by less than 5 seconds.
    EXPECT_GT(music::barStart(song().totalBars), 125.0);
    EXPECT_LT(music::barStart(song().totalBars), 130.0);
}

TEST(Module, EverySectionStartsWithinOneBarOfItsPlaceInTheShowTimeline) {
    // The composition takes its section times from the show's timeline table;
    // a scene moved there moves the music with it.
    const double bar = music::barStart(1);
    ASSERT_EQ(static_cast<int>(song().sections.size()), kShowMomentCount);
    for (int i = 0; i < kShowMomentCount; ++i) {
        const music::Section& s = song().sections[static_cast<size_t>(i)];
        SCOPED_TRACE(s.name);
        EXPECT_EQ(s.name, kShowMoments[i].name);
        EXPECT_DOUBLE_EQ(s.sceneStart, kShowMoments[i].start);
        EXPECT_LE(std::fabs(music::barStart(s.firstBar) - kShowMoments[i].start), bar);
    }
}

TEST(ModuleAudio, NeverClipsAndSitsAtASensibleLevel) {
    const Render& r = fullMix();
    EXPECT_NEAR(r.seconds, music::barStart(song().totalBars), 0.2);
    EXPECT_LT(dB(r.peak), -1.0) << "peak";
    const double groove = dB(r.rms(sectionStart("dance floor"), sectionEnd("dance floor")));
    EXPECT_GT(groove, -18.0);
    EXPECT_LT(groove, -11.0);
    std::printf("peak %.2f dBFS\n", dB(r.peak));
    for (const music::Section& s : song().sections) {
        SCOPED_TRACE(s.name);
        const double rms = dB(r.rms(music::barStart(s.firstBar), music::barStart(s.firstBar + s.bars)));
        std::printf("%-12s bars %2d-%2d  RMS %6.2f dBFS\n", s.name.c_str(), s.firstBar, s.firstBar + s.bars - 1, rms);
        EXPECT_GT(rms, -30.0);
    }
}

TEST(ModuleAudio, BreakdownIsQuieterAndTheReturnIsBig) {
    const Render& r = fullMix();
    const double groove = dB(r.rms(sectionStart("dance floor"), sectionEnd("dance floor")));
    // The breakdown proper: the greetings before the kick comes back.
    const double breakdown = dB(r.rms(sectionStart("greetings"), sectionStart("greetings") + 6 * music::barStart(1)));
    const double shower = dB(r.rms(sectionStart("shower"), sectionEnd("shower")));
    EXPECT_LT(breakdown, groove - 3.0);
    EXPECT_GT(shower, groove - 0.5);
}

TEST(ModuleAudio, OutroFadesWithTheEndScene) {
    const Render& r = fullMix();
    const double groove = dB(r.rms(sectionStart("dance floor"), sectionEnd("dance floor")));
    const double endStart = dB(r.rms(sectionStart("end"), sectionStart("end") + 4.0));
    const double showEnd = dB(r.rms(121.0, 125.0));
    const double tail = dB(r.rms(r.seconds - 1.0, r.seconds));
    EXPECT_GT(endStart, groove - 3.0);
    EXPECT_LT(showEnd, endStart - 6.0);
    EXPECT_LT(tail, showEnd - 10.0);
}

TEST(ModuleAudio, LastChordLandsAndRingsOutBeforeTheShowStopsTheMusic) {
    // The show stops the music at kShowEnd (125.0 s). The song's last chord
    // must land, ring and be gone by then; what the module plays after that
    // would be cut off.
    const Render& r = fullMix();
    constexpr double kAudible = -60.0;  // dBFS over 10 ms
    const size_t endBlock = static_cast<size_t>(sectionStart("end") * 100);
    // The last onset: a block louder than each of the 20 before it by 3 dB.
    size_t landing = 0;
    for (size_t i = endBlock + 20; i < r.sumSquares.size(); ++i) {
        double before = -200;
        for (size_t k = i - 20; k < i; ++k) before = std::max(before, r.blockDb(k));
        if (r.blockDb(i) > -40.0 && r.blockDb(i) > before + 3.0) landing = i;
    }
    size_t lastAudible = 0;
    for (size_t i = 0; i < r.sumSquares.size(); ++i) {
        if (r.blockDb(i) > kAudible) lastAudible = i;
    }
    const double landed = landing / 100.0, silentFrom = (lastAudible + 1) / 100.0;
    std::printf("last chord lands at %.2f s, audible until %.2f s; module %.2f s\n", landed, silentFrom, r.seconds);
    ASSERT_GT(landing, endBlock) << "no last chord in the end section";
    // It lands clearly, as a chord on a bar line, and rings for over a second...
    EXPECT_GT(dB(r.rms(landed, landed + 0.5)), -25.0);
    EXPECT_NEAR(landed, music::barStart(static_cast<int>(std::lround(landed / music::barStart(1)))), 0.03);
    EXPECT_GT(silentFrom - landed, 1.5);
    // ...and is gone before the show stops the music.
    EXPECT_LT(silentFrom, kShowEnd);
    EXPECT_LT(dB(r.rms(kShowEnd - 0.5, kShowEnd)), dB(r.rms(landed, landed + 0.5)) - 40.0);
    EXPECT_LT(dB(r.rms(kShowEnd - 0.5, kShowEnd)), kAudible);
    EXPECT_LT(dB(r.peakIn(kShowEnd, r.seconds)), kAudible) << "something still sounds after the show has stopped";
    // The module itself still outlasts the show.
    EXPECT_GT(r.seconds, kShowEnd);
}

TEST(ModuleAudio, KickTrackBeatsAt126PerMinute) {
    std::vector<float> kick;
    render(music::kKickChannel, &kick);
    float peak = 0;
    for (float v : kick) peak = std::max(peak, std::fabs(v));
    ASSERT_GT(peak, 0.05f);
    // Onsets: the signal rises above a quarter of the peak, having fallen
    // below an eighth since the previous onset. The time is that of the first
    // sample over the threshold.
    const float threshold = 0.25f * peak;
    std::vector<double> onsets;
    bool armed = true;
    const size_t block = kRate / 200;
    for (size_t b = 0; b + block <= kick.size(); b += block) {
        float level = 0;
        for (size_t i = b; i < b + block; ++i) level = std::max(level, std::fabs(kick[i]));
        if (armed && level >= threshold) {
            size_t i = b;
            while (std::fabs(kick[i]) < threshold) ++i;
            onsets.push_back(static_cast<double>(i) / kRate);
            armed = false;
        } else if (level < 0.5f * threshold) {
            armed = true;
        }
    }
    // Beat-to-beat intervals (gaps of a whole bar or more are breaks).
    double sum = 0;
    int beats = 0;
    for (size_t i = 1; i < onsets.size(); ++i) {
        const double gap = onsets[i] - onsets[i - 1];
        if (gap > 0.3 && gap < 0.7) {
            sum += gap;
            ++beats;
        }
    }
    ASSERT_GT(beats, 150);
    const double bpm = 60.0 / (sum / beats);
    std::printf("kick track: %zu onsets, %d beat intervals, %.3f BPM\n", onsets.size(), beats, bpm);
    EXPECT_NEAR(bpm, 126.0, 1.0);
}
