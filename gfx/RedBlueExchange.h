#pragma once
// Which exchange of bytes 0 and 2 of each pixel a picture gets before it is
// uploaded: the reader and the generator deliver blue, green, red(, alpha),
// OpenGL takes red, green, blue, alpha. Every picture of the show is named
// with one (the scenes' picture tables, the font sheet, the generated
// texture), and the art tool writes each file for the exchange it will get.
//
//   BySize       the first w*h pixels, where w x h is the texture's size
//                *before* the picture's size is taken: 256 x 256 for a new
//                texture, so only the first 65,536 pixels of a larger picture;
//   WholeBuffer  every pixel of the picture;
//   None         nothing: the file's blue shows as red and its red as blue.
enum class RedBlueExchange { BySize, WholeBuffer, None };
