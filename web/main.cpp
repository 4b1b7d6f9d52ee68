// Glowmotion in a browser page: what the page's script calls. The page
// (web/page/page.js) fetches the media into /data, opens the canvas,
// loads, then calls glowmotion_frame once per animation frame with the
// position of the music (or glowmotion_step for stills).
#include "app/RecordingFrames.h"
#include "app/WatchControls.h"
#include "base/DataPath.h"
#include "web/BrowserShow.h"
#include "web/gl/FixedGL.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <memory>
#include <string>

namespace {
std::unique_ptr<BrowserShow> show;
std::string message;  // why the last call failed
std::string text;     // the last string handed to the page
}  // namespace

int main() {
    setDataDirectory("/data");
    return 0;
}

extern "C" {

// Makes the WebGL context on the page's canvas (#canvas) and the GL layer
// on it. 1 on success; else 0 and glowmotion_message() says why.
EMSCRIPTEN_KEEPALIVE int glowmotion_open() {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = false;
    attributes.depth = true;
    attributes.stencil = false;
    attributes.antialias = false;
    // A frame in which no scene draws (the gaps) keeps the last picture.
    attributes.preserveDrawingBuffer = true;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0) {
        message = "this browser gives the page no WebGL";
        return 0;
    }
    emscripten_webgl_make_context_current(context);
    if (!fixedgl::start(&message)) return 0;
    show = std::make_unique<BrowserShow>();
    return 1;
}

EMSCRIPTEN_KEEPALIVE const char* glowmotion_message() { return message.c_str(); }

EMSCRIPTEN_KEEPALIVE void glowmotion_resize(int width, int height) {
    if (show) show->resize(width, height);
}

EMSCRIPTEN_KEEPALIVE void glowmotion_load() {
    if (show) show->load();
}

// fps 0: the clock follows glowmotion_frame's readings (live); else it
// steps fps frames a second with glowmotion_step (stills). The frames
// before startAt are then to run with glowmotion_prepare.
EMSCRIPTEN_KEEPALIVE void glowmotion_begin(double startAt, int fps) {
    if (show) show->begin(startAt, fps);
}

// Live, after a jump of the music to showTime: the frames up to it are then
// to run with glowmotion_prepare.
EMSCRIPTEN_KEEPALIVE void glowmotion_jump(double showTime) {
    if (show) show->jump(showTime);
}

// Runs up to `frames` of the frames planned; returns how far they are, 1
// once all have run.
EMSCRIPTEN_KEEPALIVE double glowmotion_prepare(int frames) { return show ? show->prepare(frames) : 1.0; }

// The frames the last preparation ran so far, and the seconds it took.
EMSCRIPTEN_KEEPALIVE double glowmotion_prepared_frames() {
    return show ? static_cast<double>(show->prepared().frames) : 0.0;
}
EMSCRIPTEN_KEEPALIVE double glowmotion_prepared_seconds() { return show ? show->prepared().seconds : 0.0; }

// Live: draws show time begin + elapsed; returns the show time drawn.
EMSCRIPTEN_KEEPALIVE double glowmotion_frame(double elapsed) { return show ? show->frame(elapsed) : 0.0; }

// Stills: draws the next frame; returns its show time.
EMSCRIPTEN_KEEPALIVE double glowmotion_step() { return show ? show->step() : 0.0; }

// The frames a recording of show time [startAt, endAt) at fps holds.
EMSCRIPTEN_KEEPALIVE double glowmotion_frame_count(double startAt, double endAt, int fps) {
    return static_cast<double>(recordingFrameCount({startAt, endAt, fps}));
}

// card 0: "click or press a key to start"; 1: "play again".
EMSCRIPTEN_KEEPALIVE void glowmotion_card(int card, double seconds) {
    if (show) show->drawCard(card == 0 ? BrowserShow::Card::Start : BrowserShow::Card::PlayAgain, seconds);
}

// The watching keys' rules, as on the desktop.
EMSCRIPTEN_KEEPALIVE double glowmotion_moment_before(double showTime) { return momentBefore(showTime); }
EMSCRIPTEN_KEEPALIVE double glowmotion_moment_after(double showTime) { return momentAfter(showTime); }
EMSCRIPTEN_KEEPALIVE const char* glowmotion_place(double showTime) {
    text = placeAt(static_cast<float>(showTime));
    return text.c_str();
}

}  // extern "C"
