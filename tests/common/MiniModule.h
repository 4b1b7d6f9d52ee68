#pragma once
// A smallest playable Impulse Tracker module, written in code: one looping
// 8-bit square-wave sample, one pattern of `rows` rows with a note on its
// first row, speed 6, tempo 125 (0.12 s a row) unless `tempo` says
// otherwise. With `scale`, every row strikes a new note instead (a rising
// scale over two octaves, again and again), so that each moment of the
// song sounds different from the next. The order list plays the pattern
// `plays` times.
//
//   0    "IMPM", title[26], highlight 4/16, orders plays+1, instruments 0,
//        samples 1, patterns 1, versions 0x0214/0x0214, flags, volumes ...
//   64   channel pan[64], channel volume[64]
//   192  orders {0 (plays times), 255}, sample header offset, pattern offset
//   ...  sample header "IMPS" (80 bytes)
//   ...  pattern: packed length, rows, 4 reserved, packed rows
//   ...  sample data: 64 signed bytes
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

inline std::vector<uint8_t> miniItModule(const std::string& title, int rows = 64, bool scale = false, int plays = 1,
                                         int tempo = 125) {
    std::vector<uint8_t> m;
    auto u8 = [&](int v) { m.push_back(static_cast<uint8_t>(v)); };
    auto u16 = [&](int v) { u8(v & 0xFF); u8((v >> 8) & 0xFF); };
    auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) u8(static_cast<int>((v >> (8 * i)) & 0xFF)); };
    auto text = [&](const std::string& s, size_t n) { for (size_t i = 0; i < n; ++i) u8(i < s.size() ? s[i] : 0); };
    auto patch32 = [&](size_t at, size_t v) { for (int i = 0; i < 4; ++i) m[at + i] = uint8_t(v >> (8 * i)); };

    text("IMPM", 4), text(title, 26);
    u8(4), u8(16);                  // row highlights
    u16(plays + 1); u16(0); u16(1); u16(1);  // orders, instruments, samples, patterns
    u16(0x0214), u16(0x0214), u16(0x0009), u16(0);  // created with, compatible with; stereo, linear slides; special
    u8(128); u8(48); u8(6); u8(tempo); u8(128); u8(0);  // global vol, mix vol, speed, tempo, separation, pwd
    u16(0); u32(0); u32(0);         // no message
    for (int c = 0; c < 64; ++c) u8(c < 4 ? 32 : 32 + 128);  // pan (128: channel off)
    for (int c = 0; c < 64; ++c) u8(64);
    for (int i = 0; i <= plays; ++i) u8(i < plays ? 0 : 255);  // order list
    const size_t sampleOffsetAt = m.size(); u32(0);
    const size_t patternOffsetAt = m.size(); u32(0);

    const int sampleLength = 64;
    patch32(sampleOffsetAt, m.size());
    text("IMPS", 4), text("square.raw", 12);
    u8(0), u8(64), u8(0x11), u8(64);  // global volume, flags: data present + loop, volume
    text("square", 26), u8(0x01), u8(32);  // signed samples; default pan
    u32(sampleLength), u32(0), u32(sampleLength), u32(8363), u32(0), u32(0);
    const size_t dataPointerAt = m.size(); u32(0), u32(0);

    patch32(patternOffsetAt, m.size());
    u16(scale ? 5 * rows : 5 + (rows - 1)); u16(rows); u32(0);
    for (int r = 0; r < rows; ++r) {
        // Channel 1: note (C-5, or the scale's note), sample 1; end of row.
        if (r == 0 || scale) { u8(0x81); u8(0x03); u8(48 + (scale ? r % 24 : 12)); u8(1); }
        u8(0);
    }

    patch32(dataPointerAt, m.size());
    for (int i = 0; i < sampleLength; ++i) u8(i < sampleLength / 2 ? 64 : -64);
    return m;
}
