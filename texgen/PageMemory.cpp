// The generator's 1 MiB buffers are anonymous private mappings: their pages
// read as zero and cost no memory until something writes them.
//
// In WebAssembly (the browser build) there are no pages to give back: a
// mapping is zeroed heap memory, and madvise succeeds without doing
// anything, so zeroing is always writing zeros there.
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <new>

#include "texgen/PageMemory.h"

namespace texgen {

uint32_t* allocatePages(size_t words) {
    void* p = mmap(nullptr, words * 4, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    return static_cast<uint32_t*>(p);
}

void freePages(uint32_t* pixels, size_t words) {
    if (pixels) munmap(pixels, words * 4);
}

void zeroPages(uint32_t* pixels, size_t words) {
    const size_t bytes = words * 4;
#ifdef __EMSCRIPTEN__
    std::memset(pixels, 0, bytes);
#else
    static const size_t pageBytes = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t whole = bytes / pageBytes * pageBytes;
    // Dropping private anonymous pages makes them read as zero again and
    // returns their memory; fall back to writing zeros if that is refused.
    if (whole == 0 || madvise(pixels, whole, MADV_DONTNEED) != 0) {
        std::memset(pixels, 0, bytes);
        return;
    }
    std::memset(reinterpret_cast<uint8_t*>(pixels) + whole, 0, bytes - whole);
#endif
}

}  // namespace texgen
