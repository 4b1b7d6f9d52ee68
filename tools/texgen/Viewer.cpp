#include "Viewer.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "ViewSession.h"

namespace {

constexpr int kGap = 8;         // pixels between and around the layers
constexpr int kEmptyCell = 32;  // side of the box shown for a layer of size 0

struct Layout {
    SDL_Rect cells[TextureGenerator::kLayerCount];
    int width = 0, height = 0;
};

Layout layOut(const TextureGenerator& generator) {
    Layout layout;
    int x = kGap, tallest = kEmptyCell;
    for (int k = 0; k < TextureGenerator::kLayerCount; ++k) {
        const Layer& layer = generator.layers[k];
        const bool empty = layer.width == 0 || layer.height == 0;
        const int w = empty ? kEmptyCell : layer.width, h = empty ? kEmptyCell : layer.height;
        layout.cells[k] = SDL_Rect{x, kGap, w, h};
        x += w + kGap;
        tallest = std::max(tallest, h);
    }
    layout.width = x;
    layout.height = tallest + 2 * kGap;
    return layout;
}

class Window {
public:
    ~Window() {
        for (SDL_Texture* texture : textures_)
            if (texture) SDL_DestroyTexture(texture);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
    }

    bool open(std::string* error) {
        window_ = SDL_CreateWindow("glowmotion-texgen", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 320, 200,
                                   SDL_WINDOW_RESIZABLE);
        if (window_) renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (!renderer_) *error = SDL_GetError();
        return renderer_ != nullptr;
    }

    // Uploads the stored images and fits the window to the new layout.
    void show(const ViewSession& session) {
        const TextureGenerator& generator = session.generator();
        const Layout layout = layOut(generator);
        if (layout.width != layout_.width || layout.height != layout_.height) {
            SDL_SetWindowSize(window_, layout.width, layout.height);
            SDL_RenderSetLogicalSize(renderer_, layout.width, layout.height);
        }
        layout_ = layout;
        for (int k = 0; k < TextureGenerator::kLayerCount; ++k) {
            if (textures_[k]) SDL_DestroyTexture(textures_[k]);
            textures_[k] = nullptr;
            const Layer& layer = generator.layers[k];
            if (layer.width == 0 || layer.height == 0) continue;
            // 0x00RRGGBB words are SDL's RGB888 (X8R8G8B8) pixels as they are.
            textures_[k] = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STATIC, layer.width,
                                             layer.height);
            if (textures_[k]) SDL_UpdateTexture(textures_[k], nullptr, generator.images[k], layer.width * 4);
        }
        SDL_SetWindowTitle(window_, ("glowmotion-texgen view: " + session.title()).c_str());
    }

    void draw() {
        SDL_SetRenderDrawColor(renderer_, 40, 40, 48, 255);
        SDL_RenderClear(renderer_);
        for (int k = 0; k < TextureGenerator::kLayerCount; ++k) {
            if (textures_[k]) {
                SDL_RenderCopy(renderer_, textures_[k], nullptr, &layout_.cells[k]);
            } else {  // a layer the program never gave a size
                SDL_SetRenderDrawColor(renderer_, 90, 90, 100, 255);
                SDL_RenderDrawRect(renderer_, &layout_.cells[k]);
            }
        }
        SDL_RenderPresent(renderer_);
    }

private:
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* textures_[TextureGenerator::kLayerCount] = {};
    Layout layout_;
};

// SDL falls back to these when it finds no display; they show nothing
// unless someone asked for them by name.
bool headless(const char* driver) {
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
           !(asked && strcasecmp(asked, driver) == 0);
}

}  // namespace

int viewProgram(const std::string& path) {
    const bool started = SDL_Init(SDL_INIT_VIDEO) == 0;
    if (!started || headless(SDL_GetCurrentVideoDriver())) {
        const std::string why = started ? std::string("video driver ") + SDL_GetCurrentVideoDriver() : SDL_GetError();
        if (started) SDL_Quit();
        std::fprintf(stderr,
                     "glowmotion-texgen: no display for the view window (%s); "
                     "'glowmotion-texgen run %s OUT.png' writes the picture instead\n",
                     why.c_str(), path.c_str());
        return 1;
    }
    int status = 0;
    {
        ViewSession session(path);
        if (!session.watcher().watching())
            std::fprintf(stderr, "glowmotion-texgen: %s: saves will not be seen\n", session.watcher().error().c_str());
        if (!session.reload()) std::fprintf(stderr, "glowmotion-texgen: %s\n", session.message().c_str());
        Window window;
        std::string error;
        if (!window.open(&error)) {
            std::fprintf(stderr, "glowmotion-texgen: cannot open the view window: %s\n", error.c_str());
            status = 1;
        } else {
            window.show(session);
            window.draw();
            for (bool open = true; open;) {
                SDL_Event event;
                if (SDL_WaitEventTimeout(&event, 100)) {
                    if (event.type == SDL_QUIT) open = false;
                    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) open = false;
                    if (event.type == SDL_WINDOWEVENT) window.draw();
                }
                if (session.poll()) {
                    if (!session.message().empty())
                        std::fprintf(stderr, "glowmotion-texgen: %s\n", session.message().c_str());
                    window.show(session);
                    window.draw();
                }
            }
        }
    }
    SDL_Quit();
    return status;
}
