// Impulse Tracker (.it) module writer: the file format only, no music.
//
// The writer takes a module held in memory (song settings, order list,
// samples with 16-bit data, patterns of cells) and lays it out as an
// Impulse Tracker 2.14 file in sample mode (no instrument headers), which
// libopenmpt, libxmp and the tracker itself all read.
//
// File layout written (all numbers little-endian, offsets absolute):
//
//   0x0000 +----+----+----+----+-------------------------------------------+
//          | 'I'  'M'  'P'  'M' | song title, 26 bytes, zero-padded           |
//   0x0010 +-------------------+---------------------------------+---------+
//          | ...title                                             |hlt 4 16 |
//   0x0020 +---------+---------+---------+---------+---------+---------+---------+---------+
//          | OrdNum  | InsNum=0| SmpNum  | PatNum  |Cwt 0214 |Cmwt 0214| Flags   | Special |
//   0x0030 +----+----+----+----+----+----+---------+-------------------+-------------------+
//          | GV | MV | IS | IT |Sep |PWD | MsgLen  | message offset    | reserved = 0      |
//   0x0040 +----+----+----+----+----+----+---------+-------------------+-------------------+
//          | channel pan, 64 bytes (0..64; +128 = channel off)                             |
//   0x0080 +-------------------------------------------------------------------------------+
//          | channel volume, 64 bytes (0..64)                                              |
//   0x00C0 +-------------------------------------------------------------------------------+
//          | orders: OrdNum bytes, pattern numbers, the last one 255 (end of song)         |
//          +-------------------------------------------------------------------------------+
//          | sample header offsets: SmpNum x u32                                           |
//          +-------------------------------------------------------------------------------+
//          | pattern offsets: PatNum x u32                                                 |
//          +-------------------------------------------------------------------------------+
//          | song message: MsgLen bytes, lines ended by CR, zero-terminated                |
//          +-------------------------------------------------------------------------------+
//          | sample headers, 80 bytes each:                                                |
//          |   +00 'IMPS'  +04 DOS file name[12]  +10 0  +11 GvL  +12 Flg  +13 Vol         |
//          |   +14 sample name[26]  +2E Cvt=1 (signed)  +2F DfP                            |
//          |   +30 length  +34 loop begin  +38 loop end  +3C C5Speed  (u32, in samples/Hz) |
//          |   +40 sustain loop begin  +44 sustain loop end  +48 data offset  (u32)        |
//          |   +4C vibrato speed, depth, rate, type (4 bytes, all 0)                       |
//          +-------------------------------------------------------------------------------+
//          | patterns, each: u16 packed length | u16 rows | 4 bytes 0 | packed rows       |
//          +-------------------------------------------------------------------------------+
//          | sample data: signed 16-bit mono, one block per sample, in sample order        |
//          +-------------------------------------------------------------------------------+
//
// Packed rows: per row, for each channel that has something, a channel byte
// (channel + 1, bit 7 set when a new mask byte follows), the mask byte when
// it differs from that channel's previous mask, then the values the mask
// asks for. Mask bits 0..3 mean "note, sample, volume, effect+parameter
// follow"; bits 4..7 mean "same note, sample, volume, effect as the last
// value written in this channel" and carry no bytes. A zero byte ends a row.
// The mask and value memories start empty at the top of every pattern.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace music {

// One pattern cell. Absent fields are kNone (note, volume) or 0 (sample,
// effect).
struct ItCell {
    static constexpr int kNone = -1;
    static constexpr int kNoteCut = 254;
    static constexpr int kNoteOff = 255;

    int note = kNone;    // 0..119 (C-0..B-9, C-5 = 60), kNoteCut or kNoteOff
    int sample = 0;      // 1-based sample number, 0 = none
    int volume = kNone;  // volume column 0..64 (set volume)
    int effect = 0;      // 1..26 = effect letters A..Z, 0 = none
    int param = 0;       // effect parameter 0..255

    bool empty() const { return note == kNone && sample == 0 && volume == kNone && effect == 0; }
    bool operator==(const ItCell& o) const {
        return note == o.note && sample == o.sample && volume == o.volume && effect == o.effect && param == o.param;
    }
};

struct ItPattern {
    int rows = 64;
    int channels = 0;
    std::vector<ItCell> cells;  // rows x channels, row-major

    ItPattern() = default;
    ItPattern(int rowCount, int channelCount)
        : rows(rowCount),
          channels(channelCount),
          cells(static_cast<size_t>(rowCount) * static_cast<size_t>(channelCount)) {}
    ItCell& at(int row, int channel) { return cells[static_cast<size_t>(row * channels + channel)]; }
    const ItCell& at(int row, int channel) const { return cells[static_cast<size_t>(row * channels + channel)]; }
    bool operator==(const ItPattern& o) const { return rows == o.rows && channels == o.channels && cells == o.cells; }
};

struct ItSample {
    std::string name;           // up to 25 characters
    std::string fileName;       // up to 12 characters
    std::vector<int16_t> data;  // mono, signed 16-bit
    uint32_t c5Speed = 44100;   // playback rate of note C-5
    int defaultVolume = 64;     // 0..64
    int globalVolume = 64;      // 0..64
    bool loop = false;          // forward loop over [loopBegin, loopEnd)
    uint32_t loopBegin = 0;
    uint32_t loopEnd = 0;
};

struct ItModule {
    std::string title;                    // up to 25 characters
    std::string message;                  // song message, lines separated by '\n'
    int initialSpeed = 6;                 // ticks per row
    int initialTempo = 125;               // beats per minute
    int globalVolume = 128;               // 0..128
    int mixVolume = 48;                   // 0..128
    int channels = 0;                     // channels in use, 1..64
    std::array<int, 64> channelPan{};     // 0..64 for each used channel
    std::array<int, 64> channelVolume{};  // 0..64 for each used channel
    std::vector<int> orders;              // pattern numbers; the writer appends the end marker
    std::vector<ItSample> samples;
    std::vector<ItPattern> patterns;
};

// Size of the fixed header and of each sample header, in bytes.
constexpr size_t kItHeaderSize = 0xC0;
constexpr size_t kItSampleHeaderSize = 0x50;

// Packs one pattern's rows (without its 8-byte header).
std::vector<uint8_t> packPattern(const ItPattern& pattern);

// Checks the module against the format's limits; returns an empty string
// when it can be written, otherwise what is wrong.
std::string validate(const ItModule& module);

// Lays out the whole file. The module must pass validate().
std::vector<uint8_t> writeIt(const ItModule& module);

}  // namespace music
