// The TGA reader on files made here with the writer, layout by layout.
#include <sys/stat.h>

#include "common/TgaFiles.h"

using namespace tgatest;

namespace {

TEST(TgaReader, DecodesEveryCornerOrderBothDepthsAndImageIds) {
    TempDir dir("tga-reader");
    for (int depth : {24, 32}) {
        for (uint8_t descriptor : {0x20, 0x00, 0x30, 0x10, 0x08}) {
            SCOPED_TRACE(testing::Message() << depth << " bits, descriptor " << int(descriptor));
            TgaSpec spec;
            spec.width = 7;  // odd: 24-bit rows of 21 bytes
            spec.height = 300 / depth;
            spec.depth = depth;
            spec.descriptor = descriptor;
            spec.imageId = descriptor == 0x10 ? "made by hand" : "";
            Load load(dir.write("pic.tga", tgaBytes(spec)));
            expectPicture(load, spec.width, spec.height, depth == 32);
            EXPECT_EQ(load.image->idLength, spec.imageId.size());
            if (!spec.imageId.empty())
                EXPECT_EQ(std::string(reinterpret_cast<char*>(load.image->imageId.get()), 12), "made by hand");
            else
                EXPECT_EQ(load.image->imageId, nullptr);
        }
    }
    // Bottom-left: the last file row is row 0; 16-bit header fields are little-endian.
    Load bl(dir.write("bl.tga", std::vector<uint8_t>{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0, 32, 0x08,  //
                                  0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0x80}));
    ASSERT_TRUE(bl.ok);
    EXPECT_EQ(bl.at(0, 0), 0x80FF0000u);
    EXPECT_EQ(bl.at(0, 1), 0xFF0000FFu);
    // A colour map in a true-colour file is skipped; a TGA 2.0 footer is ignored.
    TgaSpec mapped;
    mapped.colourMapType = 1, mapped.colourMapLength = 5, mapped.colourMapEntrySize = 24;
    std::vector<uint8_t> bytes = tgaBytes(mapped);
    const std::string footer = std::string(8, '\0') + "TRUEVISION-XFILE.";
    bytes.insert(bytes.end(), footer.begin(), footer.end());
    expectPicture(Load(dir.write("cmap.tga", bytes)), 4, 3, true);
}

TEST(TgaReader, EmptyAndTextureSizedPictures) {
    TempDir dir("tga-sizes");
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 40}, std::pair{40, 0}}) {
        TgaSpec spec;
        spec.width = w, spec.height = h;
        Load load(dir.write("empty.tga", tgaBytes(spec)));
        EXPECT_TRUE(load.ok);
        EXPECT_EQ(load.output, "");
        EXPECT_EQ(load.image->pixels.data, nullptr);
    }
    TgaSpec edge;
    edge.width = edge.height = 512, edge.depth = 24;
    expectPicture(Load(dir.write("512.tga", tgaBytes(edge))), 512, 512, false);
}

TEST(TgaReader, RefusalsPrintTheirMessageAndKeepNothing) {
    TempDir dir("tga-refusals");
    const std::string missing = dir.file("no such picture.tga");
    Load open(missing);
    EXPECT_FALSE(open.ok);
    EXPECT_EQ(open.output, "TGA: No se ha podido abrir " + missing + "\n");
    EXPECT_EQ(open.why, "cannot be opened: No such file or directory");

    for (uint8_t type : {10, 0, 1, 3, 9, 11}) {  // 10: run-length encoded true colour
        TgaSpec spec;
        spec.type = type, spec.imageId = "id";
        Load load(dir.write("type.tga", tgaBytes(spec)));
        EXPECT_FALSE(load.ok);
        EXPECT_EQ(load.output, kTypeMessage) << "type " << int(type);
        // Each reason in full is the tool's to show (TgaToolTest).
        EXPECT_EQ(load.why.rfind("image type " + std::to_string(type) + " (", 0), 0u) << load.why;
        EXPECT_TRUE(load.empty());
    }
    TgaSpec sixteen;
    sixteen.depth = 16;
    Load depth(dir.write("d16.tga", tgaBytes(sixteen)));
    EXPECT_FALSE(depth.ok);
    EXPECT_EQ(depth.output, kDepth16Message);  // "Sólo" with the single byte 0xF3
    EXPECT_TRUE(depth.empty());

    // Too many pixels for a texture: refused from the header alone, before
    // any pixel memory, whatever the file length.
    for (auto [w, h] : {std::pair{1024, 1024}, std::pair{513, 512}, std::pair{65535, 65535}}) {
        std::vector<uint8_t> bytes = tgaBytes(TgaSpec{});  // 4x3 pixels follow the header
        bytes[12] = uint8_t(w), bytes[13] = uint8_t(w >> 8), bytes[14] = uint8_t(h), bytes[15] = uint8_t(h >> 8);
        const std::string path = dir.write("big.tga", bytes);
        Load load(path);
        EXPECT_FALSE(load.ok);
        EXPECT_EQ(load.output, "TGA: " + path + " mide " + std::to_string(w) + "x" + std::to_string(h) +
                                   ", no cabe en una textura (m\xE1ximo 262144 p\xEDxeles)\n");
        EXPECT_TRUE(load.empty());
    }
}

TEST(TgaReader, FoldersDevicesAndPipesAreRefusedAtOnceAsFilesThatCannotBeOpened) {
    TempDir dir("tga-not-files");
    const std::string pipe = dir.file("pipe.tga");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // A pipe with no writer would block an ordinary open forever; /dev/zero
    // would read a header of zeros; /dev/urandom could pass for a picture.
    for (const std::string& path : {dir.path().string(), pipe, std::string("/dev/zero"), std::string("/dev/urandom")}) {
        Load load(path);
        EXPECT_FALSE(load.ok) << path;
        EXPECT_EQ(load.output, "TGA: No se ha podido abrir " + path + "\n");
        EXPECT_TRUE(load.empty());
    }
}

TEST(TgaReader, FilesEndingEarlyAreRefusedNamingThePath) {
    TempDir dir("tga-truncated");
    TgaSpec spec;
    spec.imageId = "abcdef", spec.width = 6, spec.height = 5;
    const std::vector<uint8_t> whole = tgaBytes(spec);
    // In the header, the image ID, the first pixel, the last pixel.
    for (size_t length : {0, 10, 17, 18, 21, 24, 30, int(whole.size()) - 1}) {
        const std::string path = dir.write("cut.tga", std::vector<uint8_t>(whole.begin(), whole.begin() + length));
        Load load(path);
        EXPECT_FALSE(load.ok) << length;
        EXPECT_EQ(load.output, truncatedMessage(path)) << length;
        EXPECT_TRUE(load.empty());
    }
    TgaSpec mapped;  // colour map running past the end
    mapped.colourMapType = 1, mapped.colourMapLength = 200, mapped.colourMapEntrySize = 32;
    mapped.width = mapped.height = 0;
    std::vector<uint8_t> bytes = tgaBytes(mapped);
    bytes.pop_back();
    EXPECT_FALSE(Load(dir.write("map.tga", bytes)).ok);
}

}  // namespace
