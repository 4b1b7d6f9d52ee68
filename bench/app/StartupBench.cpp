// Where start-up goes, part by part, in-process on the offscreen context:
//
//   Startup/ReadPictures   tgaLoad of every picture the five scenes and the
//                          three fonts read (37 decodes, 14.5 MiB)
//   Startup/Uploads        a Texture made from each of those decoded pictures
//                          with its scene's exchange (exchange in place, fit
//                          to powers of two, upload), as loadPicture does
//   Startup/StoredProgram  the star tunnel's generated texture: a generator
//                          made, run and uploaded (loadGeneratedPicture)
//   Startup/Font           Font::build: the sheet read, uploaded, 256 lists
//   Startup/ModuleLoad     the music read whole and opened by libopenmpt
//   Startup/LoadAllScenes  every scene's load() as the driver calls it
//                          (the four parts above that scenes do, together)
//   Startup/ReadAhead      what the show does on worker threads while the
//                          context is made (gfx/PicturePreload.h): every
//                          picture file read and fitted, the stored program
//                          run, until the last is ready
//   Startup/LoadAllScenesAfterReadAhead  every scene's load() with all of
//                          that ready: what is left for the main thread
//   Tga/tgaLoad            the reader on the largest picture (by bytes)
//   Tga/plainRead          open, a buffer of the file's size, read, close:
//                          the baseline the reader's MB/s is compared with
//
// The data folder is the one beside the executable (or GLOWMOTION_BENCH_DATA).
#include <benchmark/benchmark.h>

#include <GL/gl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <libopenmpt/libopenmpt.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "BenchWindow.h"
#include "base/DataPath.h"
#include "base/FileRead.h"
#include "base/FrameClock.h"
#include "gfx/Font.h"
#include "gfx/PicturePreload.h"
#include "gfx/Pictures.h"
#include "gfx/Tga.h"
#include "scenes/SceneRegistry.h"
#include "texgen/TextureProgram.h"

namespace {

// Every picture the show reads, with the exchange its scene gives it.
struct ShowPicture {
    const char* file;
    RedBlueExchange exchange;
};
constexpr RedBlueExchange kBy = RedBlueExchange::BySize, kWhole = RedBlueExchange::WholeBuffer,
                          kNone = RedBlueExchange::None;
const ShowPicture kPictures[] = {
    // star tunnel
    {"vinyl.tga", kBy}, {"star.tga", kBy}, {"tia.tga", kWhole}, {"flower.tga", kWhole},
    // turntable
    {"vinyl.tga", kWhole}, {"technics.tga", kNone}, {"bck1.tga", kWhole}, {"plato.tga", kWhole},
    {"brazo.tga", kWhole}, {"quellix.tga", kWhole}, {"presents.tga", kWhole},
    // credits
    {"glowmotion2.tga", kWhole}, {"nilo.tga", kBy}, {"sabueso.tga", kBy}, {"kiro.tga", kBy},
    {"big_circle.tga", kBy}, {"logo.tga", kBy}, {"iface.tga", kBy}, {"star.tga", kBy},
    // dance floor
    {"floor.tga", kWhole}, {"bola.tga", kWhole}, {"star.tga", kWhole}, {"light.tga", kWhole},
    {"baile1.tga", kNone}, {"baile2.tga", kNone}, {"lightball.tga", kNone},
    // end
    {"frog.tga", kWhole}, {"bcn.tga", kWhole}, {"bcn_blur.tga", kWhole}, {"party.tga", kWhole},
    {"party_blur.tga", kWhole}, {"10.tga", kWhole}, {"10_blur.tga", kWhole}, {"bck_end.tga", kWhole},
    // the three fonts' sheets
    {"font.fnt", kBy}, {"font.fnt", kBy}, {"font.fnt", kBy},
};

struct Context {
    BenchWindow window;
    bool ok = false;
    Context() {
        ok = window.create();
        if (!ok) std::fprintf(stderr, "startup bench: no offscreen context: %s\n", window.error.c_str());
    }
};

bool haveContext(benchmark::State& state) {
    static Context context;
    if (!context.ok) state.SkipWithError("no offscreen context");
    return context.ok;
}

void deleteTexture(const Texture& texture) {
    GLuint name = texture.glName;
    glDeleteTextures(1, &name);
}

// Every picture of kPictures decoded, in order; an unreadable one stays empty.
std::vector<TgaImage> decodeAll() {
    std::vector<TgaImage> pictures(std::size(kPictures));
    for (size_t i = 0; i < pictures.size(); ++i) tgaLoad(dataPath(kPictures[i].file).c_str(), &pictures[i]);
    return pictures;
}

void readPictures(benchmark::State& state) {
    int64_t bytes = 0;
    for (auto _ : state) {
        const std::vector<TgaImage> pictures = decodeAll();
        for (const TgaImage& p : pictures) bytes += int64_t(p.width) * p.height * 4;
    }
    state.SetBytesProcessed(bytes);
}

void uploads(benchmark::State& state) {
    if (!haveContext(state)) return;
    // Each round exchanges red and blue in the pictures again, as a first
    // upload does; the work is the same whichever way round they are.
    std::vector<TgaImage> pictures = decodeAll();
    for (auto _ : state) {
        std::vector<std::unique_ptr<Texture>> textures;
        for (size_t i = 0; i < pictures.size(); ++i) {
            const TgaPixels& p = pictures[i].pixels;
            textures.push_back(std::make_unique<Texture>());
            if (!p.data) continue;
            textures.back()->upload(
                {p.data.get(), p.width, p.height, size_t(p.width) * p.height + TgaPixels::kZeroTailWords},
                kPictures[i].exchange);
        }
        glFinish();
        state.PauseTiming();
        for (const auto& texture : textures) deleteTexture(*texture);
        textures.clear();
        state.ResumeTiming();
    }
}

void storedProgram(benchmark::State& state) {
    if (!haveContext(state)) return;
    for (auto _ : state) {
        Texture texture;
        loadGeneratedPicture(texture, storedTextureProgram(), storedTextureProgramSize());
        glFinish();
        deleteTexture(texture);
    }
}

void font(benchmark::State& state) {
    if (!haveContext(state)) return;
    for (auto _ : state) {
        Font f;
        f.build();
        glFinish();
        deleteTexture(f.texture);
    }
}

void moduleLoad(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<uint8_t> bytes;
        std::string why;
        if (!readWholeFile(dataPath("km_groov.it"), kMaxModuleBytes, &bytes, &why)) {
            state.SkipWithError(why.c_str());
            return;
        }
        std::ostringstream log;
        openmpt::module module(bytes, log);
        benchmark::DoNotOptimize(module.get_duration_seconds());
    }
}

void loadAllScenes(benchmark::State& state) {
    if (!haveContext(state)) return;
    for (auto _ : state) {
        FrameClock clock;
        SceneSet scenes = makeScenes(clock);
        for (auto& scene : scenes) scene->load();
        glFinish();
        state.PauseTiming();
        // The scenes' textures and lists live as long as the context in the
        // show; here they are dropped between rounds.
        GLint lists = 0;
        glGetIntegerv(GL_LIST_INDEX, &lists);
        scenes = SceneSet{};
        for (GLuint name = 1; name < 4096; ++name)
            if (glIsTexture(name)) glDeleteTextures(1, &name);
        glDeleteLists(1, 4096);
        state.ResumeTiming();
    }
}

// Waits for every picture of the show and the stored program to be ready.
void readAllAhead(PicturePreload& preload) {
    for (const ShowPicture& p : kPictures) benchmark::DoNotOptimize(preload.picture(dataPath(p.file)));
    benchmark::DoNotOptimize(preload.generated(storedTextureProgram(), storedTextureProgramSize()));
}

void readAhead(benchmark::State& state) {
    for (auto _ : state) {
        PicturePreload preload(dataDirectory());
        readAllAhead(preload);
    }
}

void loadAllScenesAfterReadAhead(benchmark::State& state) {
    if (!haveContext(state)) return;
    for (auto _ : state) {
        state.PauseTiming();
        auto preload = std::make_unique<PicturePreload>(dataDirectory());
        readAllAhead(*preload);
        FrameClock clock;
        SceneSet scenes = makeScenes(clock);
        state.ResumeTiming();
        for (auto& scene : scenes) scene->load();
        glFinish();
        state.PauseTiming();
        preload.reset();
        scenes = SceneSet{};
        for (GLuint name = 1; name < 4096; ++name)
            if (glIsTexture(name)) glDeleteTextures(1, &name);
        glDeleteLists(1, 4096);
        state.ResumeTiming();
    }
}

std::string largestPicture() {
    std::string best;
    uintmax_t size = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dataPath(""))) {
        if (entry.path().extension() != ".tga") continue;
        if (entry.file_size() > size || (entry.file_size() == size && entry.path().string() < best)) {
            size = entry.file_size();
            best = entry.path().string();
        }
    }
    return best;
}

void tgaLoadLargest(benchmark::State& state) {
    const std::string path = largestPicture();
    for (auto _ : state) {
        TgaImage image;
        if (!tgaLoad(path.c_str(), &image)) {
            state.SkipWithError("unreadable");
            return;
        }
        benchmark::DoNotOptimize(image.pixels.data[0]);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(path)));
    state.SetLabel(std::filesystem::path(path).filename().string());
}

void plainReadLargest(benchmark::State& state) {
    const std::string path = largestPicture();
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        ::fstat(fd, &info);
        const size_t size = static_cast<size_t>(info.st_size);
        uint8_t* buffer = static_cast<uint8_t*>(std::malloc(size));
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(fd, buffer + done, size - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        ::close(fd);
        benchmark::DoNotOptimize(buffer[size - 1]);
        std::free(buffer);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(path)));
    state.SetLabel(std::filesystem::path(path).filename().string());
}

const bool kRegistered = [] {
    const char* data = std::getenv("GLOWMOTION_BENCH_DATA");
    setDataDirectory(data ? data
                          : (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "data").string());
    benchmark::RegisterBenchmark("Startup/ReadPictures", readPictures)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Startup/Uploads", uploads)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Startup/StoredProgram", storedProgram)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Startup/Font", font)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Startup/ModuleLoad", moduleLoad)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Startup/LoadAllScenes", loadAllScenes)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Startup/ReadAhead", readAhead)
        ->Unit(benchmark::kMillisecond)
        ->MeasureProcessCPUTime()
        ->UseRealTime();
    benchmark::RegisterBenchmark("Startup/LoadAllScenesAfterReadAhead", loadAllScenesAfterReadAhead)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Tga/tgaLoad", tgaLoadLargest)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Tga/plainRead", plainReadLargest)->Unit(benchmark::kMicrosecond);
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
