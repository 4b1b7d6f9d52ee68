#pragma once
// The procedural texture generator: six layers and an interpreter of byte-coded
// texture programs (format and validator in texgen/TextureProgram.h).
//
// Contract
// - Pixels are 32-bit words 0x00RRGGBB (bytes blue, green, red, 0 in memory);
//   pixel (x, y) of a w-wide picture is word y*w + x, row 0 first.
// - The generator owns twelve 1 MiB buffers from construction to destruction:
//   images[k] (the stored image of layer k) and layers[k].pixels (its working
//   copy). They are zero-filled anonymous pages, so pages nobody writes cost
//   no memory.
// - images[0] is the picture: its owner reads it after run() (gfx uploads
//   the first 256 x 256 words) and may also have written it before; run()
//   clears it all the same. images[1..5] and layers[] are written only by
//   the interpreter; everyone else only reads them (tests may prepare layers
//   before calling an operation).
// - run() and step() only execute a program that checkTextureProgram accepted
//   when it was given to setProgram(); a refused program changes nothing.
// - Not thread-safe per object; separate generators are independent.
#include <cstddef>
#include <cstdint>
#include <string>

#include "texgen/Layer.h"
#include "texgen/TextureProgram.h"

class TextureGenerator {
public:
    static constexpr int kLayerCount = 6;
    static constexpr uint32_t kImagePixels = 262144;  // 1 MiB of 0x00RRGGBB words

    TextureGenerator();   // six zero images, sizes 0 x 0, no program, cursor 4
    ~TextureGenerator();  // frees the program copy, the images and the layers
    TextureGenerator(const TextureGenerator&) = delete;
    TextureGenerator& operator=(const TextureGenerator&) = delete;

    // program: 4-byte little-endian length L, then L instruction bytes; a
    // private copy of L + 4 bytes is kept and checked. Cursor, layers and
    // images are untouched. Returns whether the program was accepted.
    bool setProgram(const uint8_t* program);
    // The same for a buffer of known size (a file): a length word that claims
    // more or fewer bytes than the buffer holds is refused, nothing is copied
    // past size.
    bool setProgram(const uint8_t* bytes, size_t size);

    // Layer sizes to 0 x 0, every stored image to zero, cursor to 4.
    void reset();
    // Executes the instruction at the cursor and merges it into the stored
    // image of its destination; true while instructions remain after it.
    // At the end of the program, or with no accepted program, returns false
    // and changes nothing.
    bool step();
    // reset(), then step() until the end. Does nothing when no accepted
    // program is held.
    void run();

    // Result of checking the program given last (ok() is false with no program).
    const ProgramCheck& programCheck() const { return check_; }
    uint32_t cursor() const { return cursor_; }

    uint32_t* images[kLayerCount];  // images[0] is the picture
    Layer layers[kLayerCount];

private:
    void storeProgram(const uint8_t* bytes, size_t size);

    uint32_t cursor_ = 4;         // byte offset of the next instruction, length word included
    uint8_t* program_ = nullptr;  // private copy: length word + instructions
    size_t programSize_ = 0;
    ProgramCheck check_;
    // Words of images[k] that may be non-zero: reset() clears only those.
    uint32_t imageDirtyWords_[kLayerCount] = {};
};
