#pragma once
// Which keys are down, indexed by Win32 virtual-key code (27 Escape,
// 123 F12, 'A'..'Z', '0'..'9', ...). Written by the window's message
// handling, read (and entry 123 cleared) by the driver, one thread.
#include <cstdint>
#include <memory>

namespace vk {
constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18, Pause = 19,
              Capital = 20, Escape = 27, Space = 32, Prior = 33, Next = 34, End = 35, Home = 36,
              Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46, Numpad0 = 96,
              Multiply = 106, Add = 107, Subtract = 109, Decimal = 110, Divide = 111, F1 = 112,
              F12 = 123, F24 = 135;
}

// Besides the table of keys down, a press is remembered until the driver
// has looked at the keys once: a quick tap whose press and release reach the
// queue together (a slow frame) is taken as two messages, and the table
// alone would never show the key down to a pass that polls.
class KeyState {
public:
    KeyState();
    void reset();                        // every key up, no press remembered
    void setKey(int code, bool down);    // code 0..255; others are ignored; down remembers a press

    // Down now, or pressed since the last forgetPresses().
    bool pressed(int code) const;
    // The driver has looked at the keys: remembered presses are dropped.
    void forgetPresses();

    std::unique_ptr<uint8_t[]> keys;     // 256 entries, 1 while down

private:
    std::unique_ptr<uint8_t[]> presses;  // 256 entries, 1 after a press not yet looked at
};
