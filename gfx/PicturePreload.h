#pragma once
// Pictures read ahead on a worker thread while the main thread makes the
// OpenGL context (which takes longer than all the reading together).
//
// A PicturePreload started on a data folder reads every picture file in it
// (*.tga, and *.fnt font sheets, which are TGA files too) with the quiet
// reader, fits each as an upload to a texture of any size would
// (gfx/TextureFit.h), and runs the stored texture program
// (texgen/TextureProgram.h). While it lives it is the active preload, and
// loadPicture and loadGeneratedPicture (gfx/Pictures.h) upload from it:
// the picture as read, its bytes still blue, green, red(, alpha), so that
// one picture serves every texture made from it, whatever its exchange
// (the upload names the byte order instead, gfx/Texture.h).
//
// It changes nothing that is seen: a file it could not use (refused, empty,
// not there, or not read ahead at all) is left to loadPicture, which reads
// it again itself and prints what the reader and the show always printed,
// in the scenes' order. Nothing is printed from a worker.
//
// Threads: one worker, started by the constructor (none when it cannot be
// made: then everything is read on the main thread, as it is asked for).
// One is enough, and on two cores more are slower: while it reads, the main
// thread maps the driver's libraries, and with more threads than cores a
// worker preempted while it holds the process's address-space lock (in a
// page fault, an mmap or a munmap) stalls each of those mmap calls for a
// time slice. The one worker reads everything before the context is made.
// A picture asked for before the worker took it is read by the asking
// thread; one the worker has in hand is waited for. The destructor stops
// the worker after the picture it has in hand, joins it and frees every
// picture read ahead. The worker catches what it throws (no memory: the
// picture is left to loadPicture). Only the main thread may make, destroy
// or ask a preload.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gfx/Texture.h"

class PicturePreload {
public:
    // Folders holding more picture files than this are read ahead only up
    // to it (in name order); the rest are read when asked for.
    static constexpr size_t kMaxFiles = 256;

    explicit PicturePreload(const std::string& directory);
    ~PicturePreload();
    PicturePreload(const PicturePreload&) = delete;
    PicturePreload& operator=(const PicturePreload&) = delete;

    // The preload made last that still lives; null when there is none.
    static PicturePreload* active();

    // The picture of the file at `path` (as dataPath names it: a file of
    // another folder is not this preload's), waiting for it if a worker is
    // reading it; null when it was not read ahead or cannot be used. Valid
    // while the preload lives.
    const FittedPicture* picture(const std::string& path);
    // The stored texture program's picture (its first 256 x 256 words of
    // layer 0) when `program` is that program; null otherwise.
    const FittedPicture* generated(const uint8_t* program, size_t size);
    // Frees the pictures answered so far: asked for again, they count as
    // not read ahead.
    void forgetAnswered();

private:
    struct Job;
    void work();
    // Runs `job` on this thread unless another has it; waits for it then.
    const FittedPicture* finish(Job& job);
    // Runs a waiting `job` on this thread, `lock` (on `mutex`) let go meanwhile.
    void take(Job& job, std::unique_lock<std::mutex>& lock);
    static void run(Job& job);

    std::vector<std::unique_ptr<Job>> jobs;  // the program first, then the files in name order
    std::mutex mutex;
    std::condition_variable done;
    bool stopping = false;
    std::thread worker;
    PicturePreload* previous = nullptr;  // the preload that was active before this one
};
