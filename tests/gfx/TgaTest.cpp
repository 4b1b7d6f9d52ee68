// The TGA reader on files written here layout by layout, on real-world
// files (checked against Pillow's decode of them), and the glowmotion-tga tool.
#include <sys/stat.h>

#include "common/Process.h"
#include "common/TgaFiles.h"

using namespace tgatest;
using testprocess::quoted;

namespace {

TEST(TgaReader, DecodesEveryCornerOrderDepthAndHeaderField) {
    TempDir dir("tga-reader");
    for (int depth : {24, 32}) {
        for (uint8_t descriptor : {0x20, 0x00, 0x30, 0x10, 0x08}) {
            SCOPED_TRACE(testing::Message() << depth << " bits, descriptor " << int(descriptor));
            const std::string id = descriptor == 0x10 ? "made by hand" : "";
            // Odd width: 24-bit rows of 21 bytes.
            Load load(writeTga(dir, "pic.tga", [&](TgaSpec& s) {
                s.width = 7, s.height = 300 / depth, s.depth = depth, s.descriptor = descriptor, s.imageId = id;
            }));
            expectPicture(load, 7, 300 / depth, depth == 32);
            const uint8_t* kept = load.image->imageId.get();
            EXPECT_EQ(kept ? std::string(kept, kept + load.image->idLength) : "(none)", id.empty() ? "(none)" : id);
        }
    }
    // A colour map in a true-colour file is skipped (TGA 2.0 footers: the real-world files).
    const std::string mapped = writeTga(
        dir, "cmap.tga", [](TgaSpec& s) { s.colourMapType = 1, s.colourMapLength = 5, s.colourMapEntrySize = 24; });
    expectPicture(Load(mapped), 4, 3, true);
    // Empty pictures load without pixel memory; 512x512 is the largest taken.
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 40}, std::pair{40, 0}}) {
        Load load(writeTga(dir, "empty.tga", [&](TgaSpec& s) { s.width = w, s.height = h; }));
        EXPECT_TRUE(load.ok && load.output.empty() && !load.image->pixels.data) << w << "x" << h;
    }
    const std::string edge = writeTga(dir, "512.tga", [](TgaSpec& s) { s.width = s.height = 512, s.depth = 24; });
    expectPicture(Load(edge), 512, 512, false);
}

// Each refusal prints the reader's line, gives its own reason (in *why) and keeps nothing.
TEST(TgaReader, RefusesEachFaultWithItsMessageAndReason) {
    TempDir dir("tga-refusals");
    auto refused = [](const std::string& path, const std::string& output, const std::string& reason) {
        SCOPED_TRACE(path);
        Load load(path);
        EXPECT_FALSE(load.ok);
        EXPECT_EQ(load.output, output);
        EXPECT_NE(load.why.find(reason), std::string::npos) << load.why;
        EXPECT_TRUE(load.empty());
    };
    // A pipe would block an ordinary open, /dev/zero read a header of zeros,
    // /dev/urandom could pass for a picture: none is read.
    const std::string pipe = dir.file("pipe.tga"), missing = dir.file("missing.tga"), folder = dir.path().string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    refused(missing, openMessage(missing), "cannot be opened: No such file or directory");
    refused(folder, openMessage(folder), "a folder, not a picture file");
    for (const std::string path : {pipe.c_str(), "/dev/zero", "/dev/urandom", "/dev/null"})
        refused(path, openMessage(path), "not a regular file (a device or a pipe)");
    for (int type : {10, 0, 1, 3, 9, 11, 78}) {
        const std::string path = writeTga(dir, "t.tga", [&](TgaSpec& s) { s.type = uint8_t(type), s.imageId = "x"; });
        refused(path, kTypeMessage, "image type " + std::to_string(type) + (type == 78 ? ", which no" : " ("));
    }
    for (int depth : {16, 8, 15}) {
        refused(writeTga(dir, std::to_string(depth) + "bit.tga", [&](TgaSpec& s) { s.depth = depth; }),
                depthMessage(depth), std::to_string(depth) + " bits per pixel; only 24 and 32");
    }
    // Too many pixels: refused from the header, before any pixel memory, whatever the file length.
    for (auto [w, h] : {std::pair{1024, 1024}, std::pair{513, 512}, std::pair{65535, 65535}}) {
        std::vector<uint8_t> bytes = tgaBytes(TgaSpec{});  // 4x3 pixels follow the header
        bytes[12] = uint8_t(w), bytes[13] = uint8_t(w >> 8), bytes[14] = uint8_t(h), bytes[15] = uint8_t(h >> 8);
        const std::string path = dir.write(std::to_string(w) + ".tga", bytes);
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        refused(path, "TGA: " + path + " mide " + size + ", no cabe en una textura (m\xE1ximo 262144 p\xEDxeles)\n",
                size + " is " + std::to_string(uint32_t(w) * h) + " pixels, more than the 262144");
    }
    // Ending in the header, the image ID, the first and the last pixel, the colour map.
    const std::pair<size_t, std::string> cuts[] = {
        {0, "the 18-byte header (0 bytes)"},
        {17, "the 18-byte header (17 bytes)"},
        {18, "its 6-byte image ID"},
        {23, "its 6-byte image ID"},
        {24, "its pixels: 6x5 at 32 bits needs 144 bytes, the file has 24"},
        {143, "its pixels: 6x5 at 32 bits needs 144 bytes, the file has 143"},
        {817, "its colour map"}};
    for (const auto& [keep, reason] : cuts) {
        const std::string path = writeTga(
            dir, "cut" + std::to_string(keep) + ".tga",
            [&](TgaSpec& s) {
                if (keep < 800)
                    s.imageId = "abcdef", s.width = 6, s.height = 5;
                else
                    s.colourMapType = 1, s.colourMapLength = 200, s.colourMapEntrySize = 32;
            },
            keep);
        refused(path, truncatedMessage(path), "the file ends inside " + reason);
    }
}

TEST(TgaReader, RealWorldFilesLoadAsPillowReadsThemOrAreRefusedCleanly) {
    // In GLOWMOTION_TGA_REAL_DIR, or shared/tga-real beside a folder above the sources.
    const char* env = std::getenv("GLOWMOTION_TGA_REAL_DIR");
    std::filesystem::path folder = env ? env : "", up = GLOWMOTION_SOURCE_DIR;
    for (; folder.empty() && up.has_relative_path(); up = up.parent_path())
        if (std::filesystem::is_directory(up / "shared/tga-real")) folder = up / "shared/tga-real";
    if (folder.empty()) GTEST_SKIP() << "no real-world TGA files (set GLOWMOTION_TGA_REAL_DIR)";

    std::string args;
    std::vector<std::string> loaded;
    int refused = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".tga") continue;
        const std::string path = entry.path().string();
        Load load(path);
        if (load.ok) loaded.push_back(path), args += " " + quoted(path);
        refused += !load.ok;
        EXPECT_TRUE(load.ok ? load.output.empty() : load.empty()) << path;
        EXPECT_TRUE(load.ok || load.output == kTypeMessage || load.output == depthMessage(16) ||
                    load.output == truncatedMessage(path))
            << path << ": " << load.output;
    }
    EXPECT_GE(loaded.size(), 6u);
    EXPECT_GT(refused, 40);
    // Every loaded file equals Pillow's RGBA decode (alpha only for 32 bits).
    const std::string decode =
        "import sys\nfrom PIL import Image\nfor tga in sys.argv[1:]:\n"
        "    sys.stdout.buffer.write(Image.open(tga).convert('RGBA').tobytes())\n";
    const testprocess::Run pillow = testprocess::run(quoted(GLOWMOTION_PYTHON3) + " -c " + quoted(decode) + args);
    ASSERT_EQ(pillow.status, 0) << "Pillow (python3-pil) is part of the test set-up: " << pillow.err;
    size_t at = 0;
    for (const std::string& path : loaded) {
        SCOPED_TRACE(path);
        Load load(path);
        const TgaImage& image = *load.image;
        ASSERT_LE(at + size_t(image.width) * image.height * 4, pillow.out.size());
        expectPicture(load, image.width, image.height, image.pixelDepth == 32, [&](int x, int y) {
            const char* c = &pillow.out[at + (size_t(y) * image.width + x) * 4];
            return Rgba{uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2]), uint8_t(c[3])};
        });
        at += size_t(image.width) * image.height * 4;
    }
    EXPECT_EQ(at, pillow.out.size());
}

// glowmotion-tga: exit status 0 loaded, 1 refused or not written, 2 bad usage;
// --raw writes uint32 width and height, then the reader's words, little-endian.
TEST(TgaTool, ExitStatusAndRawLayout) {
    TempDir dir("tga-tool");
    const std::string tool = quoted(std::string(GLOWMOTION_BUILD_DIR) + "/glowmotion-tga") + " ";
    const std::string raw = dir.file("pic.raw");
    const std::string pic = writeTga(dir, "p.tga", [](TgaSpec& s) { s.width = 3, s.height = 2, s.descriptor = 0x08; });
    testprocess::Run run = testprocess::run(tool + quoted(pic) + " --raw " + quoted(raw));
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    // Pixels of patternColour, bytes B, G, R, A, top row first.
    EXPECT_EQ(readFile(raw), (std::vector<uint8_t>{3, 0, 0,  0, 2, 0, 0, 0, 0, 1, 0, 1, 1, 1, 7,  2,
                                                   2, 1, 14, 3, 3, 6, 1, 3, 2, 6, 8, 4, 1, 6, 15, 5}));
    // Refused: the reader's line, then the reason; no output file.
    const std::string deep = writeTga(dir, "16.tga", [](TgaSpec& s) { s.depth = 16; });
    run = testprocess::run(tool + "--raw " + quoted(dir.file("never.raw")) + " " + quoted(deep));
    EXPECT_TRUE(run.status == 1 && !std::filesystem::exists(dir.file("never.raw"))) << run.status;
    EXPECT_EQ(run.out, depthMessage(16) + deep + ": refused: 16 bits per pixel; only 24 and 32 are read\n");
    // An output that cannot be written (files may not pass 1 KiB here): the cut-off file is removed.
    const std::string big = writeTga(dir, "big.tga", [](TgaSpec& s) { s.width = s.height = 100; });
    run = testprocess::run("trap '' XFSZ; ulimit -f 1; " + tool + quoted(big) + " --raw " + quoted(raw));
    EXPECT_TRUE(run.status == 1 && !std::filesystem::exists(raw)) << run.status;
    EXPECT_EQ(run.err, "glowmotion-tga: cannot write " + raw + ": File too large\n");
    for (const char* args : {"", "a.tga b.tga", "a.tga --raw", "a.tga --raw ''"}) {
        run = testprocess::run(tool + args);
        EXPECT_TRUE(run.status == 2 && run.out.empty() && run.err.rfind("glowmotion-tga: ", 0) == 0) << args << run.err;
    }
}

}  // namespace
