#include "app/AudioOutput.h"

#include <SDL.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstring>

namespace {

// ALSA writes its own diagnostics to standard error while SDL probes for a
// device ("ALSA lib confmisc.c:855:(parse_card) cannot find card '0'" and a
// dozen more on a machine without a sound card). SDL loads the library at run
// time and offers no way to set its error handler, so the show sets it in the
// same library instance before SDL opens audio; the one line below says what
// the user needs to know instead.
extern "C" void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

void quietenAlsa() {
    static bool done = false;
    if (done) return;
    done = true;
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa) return;  // no ALSA on this machine: nothing to quieten
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) set(&ignoreAlsaMessage);
    // The library stays loaded: SDL's later dlopen gets this same instance.
}

void reportNoDevice() {
    std::fprintf(stderr, "glowmotion: no sound device (%s); the show plays in silence\n", SDL_GetError());
}

class SdlAudioOutput final : public AudioOutput {
public:
    ~SdlAudioOutput() override { close(); }

    bool open(int rate, int bufferFrames, Render render) override {
        close();
        quietenAlsa();
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            reportNoDevice();
            return false;
        }
        subsystemStarted = true;
        renderer = std::move(render);
        SDL_AudioSpec wanted{};
        wanted.freq = rate;
        wanted.format = AUDIO_F32SYS;
        wanted.channels = 2;
        wanted.samples = static_cast<Uint16>(bufferFrames);
        wanted.callback = &SdlAudioOutput::callback;
        wanted.userdata = this;
        SDL_AudioSpec obtained{};
        // No changes allowed: SDL converts from exactly this rate and format.
        device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
        if (device == 0) {
            reportNoDevice();
            close();
            return false;
        }
        SDL_PauseAudioDevice(device, 0);
        return true;
    }

    void close() override {
        if (device != 0) {
            SDL_CloseAudioDevice(device);
            device = 0;
        }
        if (subsystemStarted) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            subsystemStarted = false;
        }
        renderer = nullptr;
    }

    bool isOpen() const override { return device != 0; }
    void lock() override { if (device != 0) SDL_LockAudioDevice(device); }
    void unlock() override { if (device != 0) SDL_UnlockAudioDevice(device); }

private:
    static void callback(void* userdata, Uint8* stream, int length) {
        auto* self = static_cast<SdlAudioOutput*>(userdata);
        const int frames = length / static_cast<int>(2 * sizeof(float));
        if (self->renderer) self->renderer(reinterpret_cast<float*>(stream), frames);
        else std::memset(stream, 0, static_cast<size_t>(length));
    }

    SDL_AudioDeviceID device = 0;
    bool subsystemStarted = false;
    Render renderer;
};

class SilentAudioOutput final : public AudioOutput {
public:
    bool open(int, int, Render) override { return false; }
    void close() override {}
    bool isOpen() const override { return false; }
    void lock() override {}
    void unlock() override {}
};

}  // namespace

std::unique_ptr<AudioOutput> makeSdlAudioOutput() { return std::make_unique<SdlAudioOutput>(); }
std::unique_ptr<AudioOutput> makeSilentAudioOutput() { return std::make_unique<SilentAudioOutput>(); }
