#pragma once
// Which keys are down, indexed by Win32 virtual-key code (27 Escape,
// 123 F12, 'A'..'Z', '0'..'9', ...), and how many times each went down
// since the driver last took its presses. Written by the window's message
// handling, read (and entry 123 cleared, presses taken) by the driver, one
// thread. Counting presses lets a key act once per press however quickly it
// is let go again: a press and its release may both be taken as messages
// before the driver next looks at the table.
#include <array>
#include <cstdint>
#include <memory>

namespace vk {
constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18, Pause = 19,
              Capital = 20, Escape = 27, Space = 32, Prior = 33, Next = 34, End = 35, Home = 36,
              Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46, Numpad0 = 96,
              Multiply = 106, Add = 107, Subtract = 109, Decimal = 110, Divide = 111, F1 = 112,
              F12 = 123, F24 = 135, OemComma = 0xBC, OemPeriod = 0xBE;
}

class KeyState {
public:
    KeyState();
    void reset();                        // every key up, no presses counted
    void setKey(int code, bool down);    // code 0..255; others are ignored
    // One key-down message for `code`: a press, or with `repeat` one sent by
    // the keyboard's auto-repeat while the key is held.
    void countPress(int code, bool repeat);
    // The presses of `code` counted since the last call (auto-repeats too
    // when `withRepeats`), and the count starts again from 0.
    int takePresses(int code, bool withRepeats);

    std::unique_ptr<uint8_t[]> keys;     // 256 entries, 1 while down

private:
    // Per code, saturating at 255 (nobody takes the presses of most keys).
    std::array<uint8_t, 256> presses{};
    std::array<uint8_t, 256> repeats{};
};
