#pragma once
// Zero-filled anonymous page memory for the generator's 1 MiB buffers: pages
// nobody writes cost no memory.
#include <cstddef>
#include <cstdint>

namespace texgen {

uint32_t* allocatePages(size_t words);
void freePages(uint32_t* pixels, size_t words);
// Sets the first `words` words to zero; whole pages go back to the system.
void zeroPages(uint32_t* pixels, size_t words);

}  // namespace texgen
