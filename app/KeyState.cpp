#include "app/KeyState.h"

#include <cstring>

KeyState::KeyState() : keys(new uint8_t[256]) { reset(); }

void KeyState::reset() { std::memset(keys.get(), 0, 256); }

void KeyState::setKey(int code, bool down) {
    if (code < 0 || code > 255) return;
    keys[code] = down ? 1 : 0;
}
