// The TGA reader on files written here byte by byte.
#include <gtest/gtest.h>

#include <memory>

#include "TgaFiles.h"
#include "gfx/Tga.h"

using namespace tgatest;

namespace {

const char* const kTypeMessage = "No se soporta otro tipo que no sea TRUE COLOR descomprimido\n";

// One load: the record, the result and what the reader printed.
struct Load {
    explicit Load(const std::string& path) : image(new TgaImage) {
        tgaInit(image.get());
        testing::internal::CaptureStdout();
        ok = tgaLoad(path.c_str(), image.get());
        output = testing::internal::GetCapturedStdout();
    }
    ~Load() { tgaFree(image.get()); }
    uint32_t at(int x, int y) const { return image->pixels.data[y * image->pixels.width + x]; }

    std::unique_ptr<TgaImage> image;
    bool ok = false;
    std::string output;
};

class TgaReader : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = dir.file(name);
        writeFile(path, bytes);
        return path;
    }
    std::string write(const std::string& name, const TgaSpec& spec) { return write(name, tgaBytes(spec)); }

    // Every pixel of the loaded picture equals spec.colour, alpha 0 for 24 bits.
    static void expectPicture(const Load& load, const TgaSpec& spec) {
        ASSERT_TRUE(load.ok) << load.output;
        EXPECT_EQ(load.output, "");
        ASSERT_EQ(load.image->pixels.width, spec.width);
        ASSERT_EQ(load.image->pixels.height, spec.height);
        for (int y = 0; y < spec.height; ++y) {
            for (int x = 0; x < spec.width; ++x) {
                Rgba c = spec.colour(x, y);
                if (spec.depth == 24) c.a = 0;
                ASSERT_EQ(load.at(x, y), readerWord(c)) << "pixel " << x << "," << y;
            }
        }
    }

    TempDir dir{"tga-reader"};
};

TEST_F(TgaReader, EveryCornerOrderReadsTopRowFirstLeftToRight) {
    for (uint8_t descriptor : {0x20, 0x00, 0x30, 0x10, 0x28, 0x08}) {
        SCOPED_TRACE(testing::Message() << "descriptor " << int(descriptor));
        TgaSpec spec;
        spec.width = 5;
        spec.height = 3;
        spec.descriptor = descriptor;
        Load load(write("corner.tga", spec));
        expectPicture(load, spec);
    }
}

TEST_F(TgaReader, BottomLeftFileHasItsLastFileRowAtRowZero) {
    // Raw bytes: row 0 of the file is blue, row 1 is red; bottom-left origin.
    std::vector<uint8_t> bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0, 32, 0x08,
                                  0xFF, 0, 0, 0xFF,   // file row 0: blue, alpha 255
                                  0, 0, 0xFF, 0x80};  // file row 1: red, alpha 128
    Load load(write("bl.tga", bytes));
    ASSERT_TRUE(load.ok);
    EXPECT_EQ(load.at(0, 0), 0x80FF0000u);  // red on top
    EXPECT_EQ(load.at(0, 1), 0xFF0000FFu);
    EXPECT_EQ(load.image->descriptor, 0x08);
}

TEST_F(TgaReader, TwentyFourBitPixelsHaveAlphaZero) {
    TgaSpec spec;
    spec.depth = 24;
    spec.width = 7;  // odd width: rows of 21 bytes
    spec.height = 4;
    spec.descriptor = 0x00;
    Load load(write("rgb.tga", spec));
    expectPicture(load, spec);
    for (int i = 0; i < 28; ++i) EXPECT_EQ(load.image->pixels.data[i] >> 24, 0u);
}

TEST_F(TgaReader, ImageIdIsKeptAndSkipped) {
    TgaSpec spec;
    spec.imageId = "made by hand";
    Load load(write("id.tga", spec));
    expectPicture(load, spec);
    ASSERT_EQ(load.image->idLength, 12);
    ASSERT_NE(load.image->imageId, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(load.image->imageId), 12), "made by hand");

    Load plain(write("noid.tga", TgaSpec{}));
    EXPECT_EQ(plain.image->imageId, nullptr);
}

TEST_F(TgaReader, ColourMapOfATrueColourFileIsSkipped) {
    TgaSpec spec;
    spec.colourMapType = 1;
    spec.colourMapLength = 5;
    spec.colourMapEntrySize = 24;
    spec.imageId = "x";
    Load load(write("cmap.tga", spec));
    expectPicture(load, spec);
}

TEST_F(TgaReader, HeaderFieldsAreLittleEndian) {
    TgaSpec spec;
    spec.width = 300;  // 0x012C
    spec.height = 2;
    Load load(write("wide.tga", spec));
    ASSERT_TRUE(load.ok);
    EXPECT_EQ(load.image->width, 300);
    EXPECT_EQ(load.image->pixels.width, 300);
    EXPECT_EQ(load.image->pixelDepth, 32);
    EXPECT_EQ(load.at(299, 1), readerWord(patternColour(299, 1)));
}

TEST_F(TgaReader, ZeroWidthOrHeightIsAnEmptyPicture) {
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 40}, std::pair{40, 0}}) {
        TgaSpec spec;
        spec.width = w;
        spec.height = h;
        Load load(write("empty.tga", spec));
        EXPECT_TRUE(load.ok);
        EXPECT_EQ(load.output, "");
        EXPECT_EQ(load.image->pixels.width, w);
        EXPECT_EQ(load.image->pixels.height, h);
        EXPECT_EQ(load.image->pixels.data, nullptr);
    }
}

TEST_F(TgaReader, RefusalsPrintTheirMessagesAndKeepNothing) {
    const std::string missing = dir.file("no such picture.tga");
    Load open(missing);
    EXPECT_FALSE(open.ok);
    EXPECT_EQ(open.output, "TGA: No se ha podido abrir " + missing + "\n");

    TgaSpec rle;
    rle.type = 10;
    rle.imageId = "id";
    Load type(write("rle.tga", rle));
    EXPECT_FALSE(type.ok);
    EXPECT_EQ(type.output, kTypeMessage);
    EXPECT_EQ(type.image->imageId, nullptr);

    for (uint8_t t : {0, 1, 3, 9, 11}) {
        TgaSpec other;
        other.type = t;
        Load load(write("other.tga", other));
        EXPECT_FALSE(load.ok);
        EXPECT_EQ(load.output, kTypeMessage) << "type " << int(t);
    }

    TgaSpec sixteen;
    sixteen.depth = 16;
    Load depth(write("d16.tga", sixteen));
    EXPECT_FALSE(depth.ok);
    // "Sólo" with the single Latin-1 byte 0xF3.
    EXPECT_EQ(depth.output, "No se soporta los TGAs de 16 bpp (S\xF3lo 32 y 24 descomprimido)\n");
    EXPECT_EQ(depth.image->pixels.data, nullptr);
}

TEST_F(TgaReader, PictureLargerThanATextureIsRefusedBeforeReadingPixels) {
    // Header claims 1024x1024 but carries no pixels: refused for its size,
    // not for its length.
    std::vector<uint8_t> header = tgaBytes(TgaSpec{});
    header.resize(18);
    header[12] = 0x00, header[13] = 0x04, header[14] = 0x00, header[15] = 0x04;
    const std::string path = write("big.tga", header);
    Load load(path);
    EXPECT_FALSE(load.ok);
    EXPECT_EQ(load.output, "TGA: " + path + " mide 1024x1024, no cabe en una textura (m\xE1ximo 262144 p\xEDxeles)\n");
    EXPECT_EQ(load.image->pixels.data, nullptr);

    // 65535x65535 would overflow 32-bit byte counts.
    header[12] = header[13] = header[14] = header[15] = 0xFF;
    Load huge(write("huge.tga", header));
    EXPECT_FALSE(huge.ok);

    // Exactly a texture's worth (512x512) and 1x262144-shaped pictures fit.
    TgaSpec edge;
    edge.width = 512;
    edge.height = 512;
    edge.depth = 24;
    Load fits(write("512.tga", edge));
    expectPicture(fits, edge);
    edge.width = 513;
    Load over(write("513.tga", edge));
    EXPECT_FALSE(over.ok);
}

TEST_F(TgaReader, FilesEndingEarlyAreRefusedNamingThePath) {
    TgaSpec spec;
    spec.imageId = "abcdef";
    spec.width = 6;
    spec.height = 5;
    const std::vector<uint8_t> whole = tgaBytes(spec);
    // In the header, in the image ID, in the first pixel, in the last pixel.
    for (size_t length : {size_t(0), size_t(10), size_t(17), size_t(18), size_t(21), size_t(24), size_t(30),
                          whole.size() - 1}) {
        SCOPED_TRACE(testing::Message() << "length " << length);
        const std::string path = write("cut.tga", std::vector<uint8_t>(whole.begin(), whole.begin() + length));
        Load load(path);
        EXPECT_FALSE(load.ok);
        EXPECT_EQ(load.output, "TGA: El fichero " + path + " termina antes de tiempo\n");
        EXPECT_EQ(load.image->pixels.data, nullptr);
        EXPECT_EQ(load.image->imageId, nullptr);
    }
    // A colour map that runs past the end.
    TgaSpec mapped;
    mapped.colourMapType = 1;
    mapped.colourMapLength = 200;
    mapped.colourMapEntrySize = 32;
    mapped.width = mapped.height = 0;
    std::vector<uint8_t> bytes = tgaBytes(mapped);
    bytes.resize(bytes.size() - 1);
    Load map(write("map.tga", bytes));
    EXPECT_FALSE(map.ok);

    Load complete(write("whole.tga", whole));
    expectPicture(complete, spec);
}

TEST_F(TgaReader, TrailingBytesAfterThePixelsAreIgnored) {
    TgaSpec spec;
    std::vector<uint8_t> bytes = tgaBytes(spec);
    const char footer[] = "\0\0\0\0\0\0\0\0TRUEVISION-XFILE.";
    bytes.insert(bytes.end(), footer, footer + sizeof footer);
    Load load(write("footer.tga", bytes));
    expectPicture(load, spec);
}

}  // namespace
