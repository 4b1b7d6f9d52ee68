#include "ItWriter.h"

#include <cstring>

namespace music {
namespace {

class ByteWriter {
public:
    std::vector<uint8_t> bytes;

    size_t size() const { return bytes.size(); }
    void u8(int v) { bytes.push_back(static_cast<uint8_t>(v)); }
    void u16(unsigned v) {
        u8(static_cast<int>(v & 0xFF));
        u8(static_cast<int>((v >> 8) & 0xFF));
    }
    void u32(uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    // Fixed-size text field, zero-padded; the last byte is always zero.
    void text(const std::string& s, size_t width) {
        for (size_t i = 0; i < width; ++i) u8(i + 1 < width && i < s.size() ? s[i] : 0);
    }
    void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
    void patch32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    }
};

// Header flags.
constexpr unsigned kFlagStereo = 0x01;
constexpr unsigned kFlagLinearSlides = 0x08;
constexpr unsigned kSpecialMessage = 0x01;
// Sample header flags.
constexpr int kSampleHasData = 0x01;
constexpr int kSample16Bit = 0x02;
constexpr int kSampleLoop = 0x10;
constexpr int kConvertSigned = 0x01;

constexpr int kCreatedWith = 0x0214;
constexpr int kCompatibleWith = 0x0214;
constexpr int kEndOfSong = 255;

}  // namespace

std::vector<uint8_t> packPattern(const ItPattern& pattern) {
    struct Memory {
        int mask = -1;  // -1: nothing written yet in this pattern
        bool haveNote = false, haveSample = false, haveVolume = false, haveEffect = false;
        ItCell last;
    };
    std::vector<Memory> memory(static_cast<size_t>(pattern.channels));
    std::vector<uint8_t> out;
    for (int row = 0; row < pattern.rows; ++row) {
        for (int ch = 0; ch < pattern.channels; ++ch) {
            const ItCell& c = pattern.at(row, ch);
            if (c.empty()) continue;
            Memory& m = memory[static_cast<size_t>(ch)];
            int mask = 0;
            if (c.note != ItCell::kNone) {
                mask |= (m.haveNote && m.last.note == c.note) ? 0x10 : 0x01;
            }
            if (c.sample != 0) {
                mask |= (m.haveSample && m.last.sample == c.sample) ? 0x20 : 0x02;
            }
            if (c.volume != ItCell::kNone) {
                mask |= (m.haveVolume && m.last.volume == c.volume) ? 0x40 : 0x04;
            }
            if (c.effect != 0) {
                const bool same = m.haveEffect && m.last.effect == c.effect && m.last.param == c.param;
                mask |= same ? 0x80 : 0x08;
            }
            if (mask == m.mask) {
                out.push_back(static_cast<uint8_t>(ch + 1));
            } else {
                out.push_back(static_cast<uint8_t>((ch + 1) | 0x80));
                out.push_back(static_cast<uint8_t>(mask));
                m.mask = mask;
            }
            if (mask & 0x01) {
                out.push_back(static_cast<uint8_t>(c.note));
                m.last.note = c.note;
                m.haveNote = true;
            }
            if (mask & 0x02) {
                out.push_back(static_cast<uint8_t>(c.sample));
                m.last.sample = c.sample;
                m.haveSample = true;
            }
            if (mask & 0x04) {
                out.push_back(static_cast<uint8_t>(c.volume));
                m.last.volume = c.volume;
                m.haveVolume = true;
            }
            if (mask & 0x08) {
                out.push_back(static_cast<uint8_t>(c.effect));
                out.push_back(static_cast<uint8_t>(c.param));
                m.last.effect = c.effect;
                m.last.param = c.param;
                m.haveEffect = true;
            }
        }
        out.push_back(0);
    }
    return out;
}

std::string validate(const ItModule& m) {
    if (m.channels < 1 || m.channels > 64) return "channel count out of 1..64";
    if (m.orders.empty() || m.orders.size() > 255) return "order list must hold 1..255 entries";
    if (m.samples.empty() || m.samples.size() > 99) return "sample count out of 1..99";
    if (m.patterns.empty() || m.patterns.size() > 200) return "pattern count out of 1..200";
    if (m.globalVolume < 0 || m.globalVolume > 128) return "global volume out of 0..128";
    if (m.mixVolume < 0 || m.mixVolume > 128) return "mix volume out of 0..128";
    if (m.initialSpeed < 1 || m.initialSpeed > 255) return "speed out of 1..255";
    if (m.initialTempo < 32 || m.initialTempo > 255) return "tempo out of 32..255";
    for (int ch = 0; ch < m.channels; ++ch) {
        if (m.channelPan[static_cast<size_t>(ch)] < 0 || m.channelPan[static_cast<size_t>(ch)] > 64)
            return "channel pan out of 0..64";
        if (m.channelVolume[static_cast<size_t>(ch)] < 0 || m.channelVolume[static_cast<size_t>(ch)] > 64)
            return "channel volume out of 0..64";
    }
    for (int o : m.orders) {
        if (o < 0 || o >= static_cast<int>(m.patterns.size())) return "order names a missing pattern";
    }
    for (const ItSample& s : m.samples) {
        if (s.data.empty()) return "sample '" + s.name + "' has no data";
        if (s.defaultVolume < 0 || s.defaultVolume > 64 || s.globalVolume < 0 || s.globalVolume > 64)
            return "sample '" + s.name + "' volume out of 0..64";
        if (s.loop && (s.loopBegin >= s.loopEnd || s.loopEnd > s.data.size()))
            return "sample '" + s.name + "' loop outside its data";
    }
    const int sampleCount = static_cast<int>(m.samples.size());
    for (const ItPattern& p : m.patterns) {
        if (p.rows < 32 || p.rows > 200) return "pattern rows out of 32..200";
        if (p.channels != m.channels) return "pattern channel count differs from the module's";
        for (const ItCell& c : p.cells) {
            const bool noteOk = c.note == ItCell::kNone || (c.note >= 0 && c.note <= 119) ||
                                c.note == ItCell::kNoteCut || c.note == ItCell::kNoteOff;
            if (!noteOk) return "note out of range";
            if (c.sample < 0 || c.sample > sampleCount) return "cell names a missing sample";
            if (c.volume != ItCell::kNone && (c.volume < 0 || c.volume > 64)) return "volume out of 0..64";
            if (c.effect < 0 || c.effect > 26 || c.param < 0 || c.param > 255) return "effect out of range";
        }
        if (packPattern(p).size() > 65535) return "packed pattern too large";
    }
    return {};
}

std::vector<uint8_t> writeIt(const ItModule& m) {
    ByteWriter w;
    const size_t orderCount = m.orders.size() + 1;  // with the end marker
    const size_t sampleCount = m.samples.size();
    const size_t patternCount = m.patterns.size();

    std::string message;
    for (char c : m.message) message.push_back(c == '\n' ? '\r' : c);
    const size_t messageLength = message.empty() ? 0 : message.size() + 1;

    const size_t orderOffset = kItHeaderSize;
    const size_t sampleTable = orderOffset + orderCount;
    const size_t patternTable = sampleTable + 4 * sampleCount;
    const size_t messageOffset = patternTable + 4 * patternCount;

    // Fixed header.
    w.u8('I');
    w.u8('M');
    w.u8('P');
    w.u8('M');
    w.text(m.title, 26);
    w.u8(4);   // row highlight: rows per beat
    w.u8(16);  // row highlight: rows per bar
    w.u16(static_cast<unsigned>(orderCount));
    w.u16(0);  // no instruments: sample mode
    w.u16(static_cast<unsigned>(sampleCount));
    w.u16(static_cast<unsigned>(patternCount));
    w.u16(kCreatedWith);
    w.u16(kCompatibleWith);
    w.u16(kFlagStereo | kFlagLinearSlides);
    w.u16(messageLength ? kSpecialMessage : 0);
    w.u8(m.globalVolume);
    w.u8(m.mixVolume);
    w.u8(m.initialSpeed);
    w.u8(m.initialTempo);
    w.u8(128);  // stereo separation
    w.u8(0);    // pitch wheel depth
    w.u16(static_cast<unsigned>(messageLength));
    w.u32(messageLength ? static_cast<uint32_t>(messageOffset) : 0);
    w.u32(0);  // reserved
    for (size_t ch = 0; ch < 64; ++ch) {
        w.u8(static_cast<int>(ch) < m.channels ? m.channelPan[ch] : 32 | 128);
    }
    for (size_t ch = 0; ch < 64; ++ch) {
        w.u8(static_cast<int>(ch) < m.channels ? m.channelVolume[ch] : 64);
    }

    // Order list and offset tables (sample and pattern offsets patched below).
    for (int o : m.orders) w.u8(o);
    w.u8(kEndOfSong);
    w.zeros(4 * (sampleCount + patternCount));

    if (messageLength) {
        for (char c : message) w.u8(static_cast<unsigned char>(c));
        w.u8(0);
    }

    // Sample headers; data offsets are patched once the patterns are placed.
    std::vector<size_t> dataOffsetFields;
    for (size_t i = 0; i < sampleCount; ++i) {
        const ItSample& s = m.samples[i];
        w.patch32(sampleTable + 4 * i, static_cast<uint32_t>(w.size()));
        w.u8('I');
        w.u8('M');
        w.u8('P');
        w.u8('S');
        w.text(s.fileName, 12);
        w.u8(0);
        w.u8(s.globalVolume);
        w.u8(kSampleHasData | kSample16Bit | (s.loop ? kSampleLoop : 0));
        w.u8(s.defaultVolume);
        w.text(s.name, 26);
        w.u8(kConvertSigned);
        w.u8(32);  // default pan, not enabled (bit 7 clear)
        w.u32(static_cast<uint32_t>(s.data.size()));
        w.u32(s.loop ? s.loopBegin : 0);
        w.u32(s.loop ? s.loopEnd : 0);
        w.u32(s.c5Speed);
        w.u32(0);
        w.u32(0);
        dataOffsetFields.push_back(w.size());
        w.u32(0);
        w.zeros(4);
    }

    for (size_t i = 0; i < patternCount; ++i) {
        const ItPattern& p = m.patterns[i];
        const std::vector<uint8_t> packed = packPattern(p);
        w.patch32(patternTable + 4 * i, static_cast<uint32_t>(w.size()));
        w.u16(static_cast<unsigned>(packed.size()));
        w.u16(static_cast<unsigned>(p.rows));
        w.zeros(4);
        w.bytes.insert(w.bytes.end(), packed.begin(), packed.end());
    }

    for (size_t i = 0; i < sampleCount; ++i) {
        w.patch32(dataOffsetFields[i], static_cast<uint32_t>(w.size()));
        for (int16_t v : m.samples[i].data) w.u16(static_cast<uint16_t>(v));
    }
    return w.bytes;
}

}  // namespace music
