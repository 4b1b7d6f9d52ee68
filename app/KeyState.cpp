#include "app/KeyState.h"

#include <cstring>

KeyState::KeyState() : keys(new uint8_t[256]) { reset(); }

void KeyState::reset() {
    std::memset(keys.get(), 0, 256);
    presses.fill(0);
    repeats.fill(0);
}

void KeyState::setKey(int code, bool down) {
    if (code < 0 || code > 255) return;
    keys[code] = down ? 1 : 0;
}

void KeyState::countPress(int code, bool repeat) {
    if (code < 0 || code > 255) return;
    uint8_t& count = repeat ? repeats[static_cast<size_t>(code)] : presses[static_cast<size_t>(code)];
    if (count < 255) ++count;
}

int KeyState::takePresses(int code, bool withRepeats) {
    if (code < 0 || code > 255) return 0;
    const size_t at = static_cast<size_t>(code);
    const int count = presses[at] + (withRepeats ? repeats[at] : 0);
    presses[at] = 0;
    repeats[at] = 0;
    return count;
}
