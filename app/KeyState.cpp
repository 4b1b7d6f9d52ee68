#include "app/KeyState.h"

#include <cstring>

KeyState::KeyState() : keys(new uint8_t[256]), presses(new uint8_t[256]) { reset(); }

void KeyState::reset() {
    std::memset(keys.get(), 0, 256);
    forgetPresses();
}

void KeyState::setKey(int code, bool down) {
    if (code < 0 || code > 255) return;
    keys[code] = down ? 1 : 0;
    if (down) presses[code] = 1;
}

bool KeyState::pressed(int code) const {
    if (code < 0 || code > 255) return false;
    return keys[code] || presses[code];
}

void KeyState::forgetPresses() { std::memset(presses.get(), 0, 256); }
