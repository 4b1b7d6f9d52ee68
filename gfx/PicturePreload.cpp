#include "gfx/PicturePreload.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <system_error>
#include <utility>

#include "gfx/TextureFit.h"
#include "gfx/Tga.h"
#include "texgen/TextureGenerator.h"
#include "texgen/TextureProgram.h"

namespace {

PicturePreload* activePreload = nullptr;

bool isPictureName(const std::string& name) {
    auto endsWith = [&name](const char* end) {
        const size_t n = std::char_traits<char>::length(end);
        return name.size() > n && name.compare(name.size() - n, n, end) == 0;
    };
    return endsWith(".tga") || endsWith(".fnt");
}

// The picture files in `directory`, in name order, kMaxFiles at most.
std::vector<std::string> pictureFiles(const std::string& directory) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(directory.empty() ? fs::path(".") : fs::path(directory), error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        std::error_code typeError;
        if (isPictureName(name) && it->is_regular_file(typeError)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    if (names.size() > PicturePreload::kMaxFiles) names.resize(PicturePreload::kMaxFiles);
    return names;
}

}  // namespace

struct PicturePreload::Job {
    enum class State { Waiting, Running, Done };
    std::string name;  // the file's name in the folder; empty for the stored program
    std::string path;
    State state = State::Waiting;
    bool usable = false;
    bool answered = false;
    FittedPicture picture;
    std::unique_ptr<uint32_t[]> pixels;  // what picture.words points to
};

PicturePreload::PicturePreload(const std::string& directory) : previous(activePreload) {
#ifndef __EMSCRIPTEN__  // no threads there, and no BGRA uploads
    jobs.push_back(std::make_unique<Job>());
    for (std::string& name : pictureFiles(directory)) {
        auto job = std::make_unique<Job>();
        // The path as dataPath names it (base/DataPath.h).
        job->path = directory.empty() ? name : directory.back() == '/' ? directory + name : directory + "/" + name;
        job->name = std::move(name);
        jobs.push_back(std::move(job));
    }
    try {
        worker = std::thread(&PicturePreload::work, this);
    } catch (const std::system_error&) {
        // No worker: the main thread reads each picture as it is asked for.
    }
#else
    (void)directory;
#endif
    activePreload = this;  // once nothing more can throw
}

PicturePreload::~PicturePreload() {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    if (worker.joinable()) worker.join();
    if (activePreload == this) activePreload = previous;
}

PicturePreload* PicturePreload::active() { return activePreload; }

const FittedPicture* PicturePreload::picture(const std::string& path) {
    for (const auto& job : jobs)
        if (!job->name.empty() && job->path == path) return finish(*job);
    return nullptr;
}

const FittedPicture* PicturePreload::generated(const uint8_t* program, size_t size) {
    if (jobs.empty() || program != storedTextureProgram() || size != storedTextureProgramSize()) return nullptr;
    return finish(*jobs.front());
}

void PicturePreload::work() {
    std::unique_lock<std::mutex> lock(mutex);
    for (size_t next = 0;;) {
        while (next < jobs.size() && jobs[next]->state != Job::State::Waiting) ++next;
        if (stopping || next == jobs.size()) return;
        take(*jobs[next], lock);
    }
}

void PicturePreload::take(Job& job, std::unique_lock<std::mutex>& lock) {
    job.state = Job::State::Running;
    lock.unlock();
    run(job);
    lock.lock();
    job.state = Job::State::Done;
    done.notify_all();
}

const FittedPicture* PicturePreload::finish(Job& job) {
    std::unique_lock<std::mutex> lock(mutex);
    if (job.state == Job::State::Waiting) take(job, lock);
    done.wait(lock, [&job] { return job.state == Job::State::Done; });
    job.answered = true;
    return job.usable ? &job.picture : nullptr;
}

void PicturePreload::forgetAnswered() {
    const std::lock_guard<std::mutex> lock(mutex);
    for (const auto& job : jobs) {
        if (!job->answered) continue;
        job->usable = false;
        job->pixels.reset();
    }
}

void PicturePreload::run(Job& job) {
    try {
        if (job.name.empty()) {
            // The picture loadGeneratedPicture uploads: the first 256 x 256
            // words of layer 0's stored image.
            TextureGenerator generator;
            generator.setProgram(storedTextureProgram(), storedTextureProgramSize());
            generator.run();
            constexpr uint32_t kSide = 256;
            job.pixels.reset(new uint32_t[kSide * kSide]);
            std::copy_n(generator.images[0], kSide * kSide, job.pixels.get());
            job.picture = {kSide, kSide, kSide, kSide, job.pixels.get()};
            job.usable = true;
            return;
        }
        TgaImage image;
        if (!tgaLoadQuietly(job.path.c_str(), &image) || !image.pixels.data) return;
        const TgaPixels& pixels = image.pixels;
        // Fitted for a texture of any size; an upload to a driver with a
        // smaller limit reads the file again.
        const FitSize fit = gluFitSize(pixels.width, pixels.height, INT_MAX);
        if (uint32_t(fit.width) == pixels.width && uint32_t(fit.height) == pixels.height) {
            job.pixels = std::move(image.pixels.data);
        } else {
            const size_t readable = size_t(pixels.width) * pixels.height + TgaPixels::kZeroTailWords;
            job.pixels.reset(new uint32_t[size_t(fit.width) * size_t(fit.height)]);
            gluBoxScaleRgba(reinterpret_cast<const uint8_t*>(pixels.data.get()), pixels.width, pixels.height,
                            readable * 4, reinterpret_cast<uint8_t*>(job.pixels.get()), fit.width, fit.height);
        }
        job.picture = {pixels.width, pixels.height, uint32_t(fit.width), uint32_t(fit.height), job.pixels.get()};
        job.usable = true;
    } catch (...) {
        // No memory: loadPicture reads the file itself.
        job.pixels.reset();
        job.usable = false;
    }
}
