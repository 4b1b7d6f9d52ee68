// glowmotion-tga, run as a separate process.
#include <sys/wait.h>

#include "common/TgaFiles.h"

using namespace tgatest;

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

// Runs the tool with args; `before` runs first in the same shell (limits).
ToolRun runTool(const TempDir& dir, const std::string& args, const std::string& before = "") {
    const std::string command = before + "\"" + GLOWMOTION_BUILD_DIR + "/glowmotion-tga\" " + args + " 2>\"" +
                                dir.file("stderr.txt") + "\"";
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[256];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const std::vector<uint8_t> err = readFile(dir.file("stderr.txt"));
    run.err.assign(err.begin(), err.end());
    return run;
}

TEST(TgaTool, DescribesAndWritesRaw) {
    TempDir dir("tga-tool");
    TgaSpec spec;
    spec.width = 3, spec.height = 2, spec.descriptor = 0x08, spec.imageId = "abc";  // bottom-left
    const std::string pic = dir.write("pic.tga", tgaBytes(spec)), raw = dir.file("pic.raw");
    ToolRun run = runTool(dir, "\"" + pic + "\" --raw \"" + raw + "\"");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, pic + ": loaded\nwidth: 3\nheight: 2\ndepth: 32\norigin: bottom-left\nimage id: 3 bytes\n"
                             "alpha above 0: yes\nfits a texture: yes (6 of 262144 pixels)\nraw: " +
                           raw + " (32 bytes)\n");
    // The .raw layout glowmotion-texgen writes: uint32 width and height, then
    // the reader's words (bytes B, G, R, A), little-endian.
    std::vector<uint8_t> expected = {3, 0, 0, 0, 2, 0, 0, 0};
    for (int i = 0; i < 6; ++i) {
        const Rgba c = patternColour(i % 3, i / 3);
        expected.insert(expected.end(), {c.b, c.g, c.r, c.a});
    }
    EXPECT_EQ(readFile(raw), expected);

    spec.depth = 24, spec.descriptor = 0x30;
    run = runTool(dir, "--raw \"" + raw + "\" \"" + dir.write("rgb.tga", tgaBytes(spec)) + "\"");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("origin: top-right\nimage id: 3 bytes\nalpha above 0: no\n"), std::string::npos);
}

TEST(TgaTool, RefusalGivesTheReadersLineThenTheReasonInEnglish) {
    TempDir dir("tga-tool-refused");
    auto withSpec = [&](const char* name, const std::function<void(TgaSpec&)>& change, size_t cut = 0) {
        TgaSpec spec;
        change(spec);
        std::vector<uint8_t> bytes = tgaBytes(spec);
        bytes.resize(bytes.size() - cut);
        return dir.write(name, bytes);
    };
    const std::string missing = dir.file("missing.tga"), folder = dir.path().string();
    const std::string shortFile = dir.write("short.tga", std::vector<uint8_t>(10, 0));
    const std::string rle = withSpec("rle.tga", [](TgaSpec& s) { s.type = 10; });
    const std::string png = withSpec("png.tga", [](TgaSpec& s) { s.type = 78; });  // "PNG" at byte 1
    const std::string deep = withSpec("16.tga", [](TgaSpec& s) { s.depth = 16; });
    const std::string large = withSpec("large.tga", [](TgaSpec& s) { s.width = 1024, s.height = 257; });
    const std::string idCut = withSpec("id.tga", [](TgaSpec& s) { s.imageId = "x", s.width = s.height = 0; }, 1);
    const std::string mapCut = withSpec(
        "map.tga",
        [](TgaSpec& s) { s.colourMapType = 1, s.colourMapLength = 4, s.colourMapEntrySize = 24, s.height = 0; }, 2);
    const std::string pixelCut = withSpec("cut.tga", [](TgaSpec& s) { s.width = 2, s.height = 1; }, 1);
    const std::pair<std::string, std::string> cases[] = {
        {missing, "TGA: No se ha podido abrir " + missing + "\n" + missing + ": refused: cannot be opened: No such file or directory"},
        {folder, "TGA: No se ha podido abrir " + folder + "\n" + folder + ": refused: a folder, not a picture file"},
        {"/dev/null",
         "TGA: No se ha podido abrir /dev/null\n/dev/null: refused: not a regular file (a device or a pipe)"},
        {shortFile,
         truncatedMessage(shortFile) + shortFile + ": refused: the file ends inside the 18-byte header (10 bytes)"},
        {rle, kTypeMessage + rle + ": refused: image type 10 (true colour, run-length encoded); only type 2, "
                                   "uncompressed true colour, is read (save without RLE compression)"},
        {png, kTypeMessage + png + ": refused: image type 78, which no TGA file has: is it a TGA file at all?"},
        {deep, kDepth16Message + deep + ": refused: 16 bits per pixel; only 24 and 32 are read"},
        {large, "TGA: " + large + " mide 1024x257, no cabe en una textura (m\xE1ximo 262144 p\xEDxeles)\n" + large +
                    ": refused: 1024x257 is 263168 pixels, more than the 262144 a texture holds"},
        {idCut, truncatedMessage(idCut) + idCut + ": refused: the file ends inside its 1-byte image ID"},
        {mapCut, truncatedMessage(mapCut) + mapCut + ": refused: the file ends inside its colour map"},
        {pixelCut, truncatedMessage(pixelCut) + pixelCut +
                       ": refused: the file ends inside its pixels: 2x1 at 32 bits needs 26 bytes, the file has 25"},
    };
    for (const auto& [file, out] : cases) {
        const ToolRun run = runTool(dir, "\"" + file + "\" --raw \"" + dir.file("never.raw") + "\"");
        EXPECT_EQ(run.status, 1) << file;
        EXPECT_EQ(run.out, out + "\n");
        EXPECT_EQ(run.err, "") << file;
        EXPECT_FALSE(std::filesystem::exists(dir.file("never.raw"))) << file;
    }
}

TEST(TgaTool, RawOutputThatCannotBeWrittenSaysWhyAndLeavesNoPartialFile) {
    TempDir dir("tga-tool-raw");
    TgaSpec spec;
    spec.width = 100, spec.height = 100;
    const std::string pic = dir.write("pic.tga", tgaBytes(spec));
    ToolRun run = runTool(dir, "\"" + pic + "\" --raw /dev/full");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "glowmotion-tga: cannot write /dev/full: No space left on device\n");
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));  // a device is never removed
    // Files may not grow past 1 KiB: the 40 KB of pixels are cut off, and the
    // cut-off file is removed.
    const std::string raw = dir.file("pic.raw");
    run = runTool(dir, "\"" + pic + "\" --raw \"" + raw + "\"", "trap '' XFSZ; ulimit -f 1; ");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "glowmotion-tga: cannot write " + raw + ": File too large\n");
    EXPECT_FALSE(std::filesystem::exists(raw));
}

TEST(TgaTool, BadUsageGoesToStandardErrorWithStatusTwo) {
    TempDir dir("tga-tool-usage");
    const std::pair<const char*, const char*> cases[] = {
        {"", "FILE is required"},
        {"a.tga b.tga", "The following argument was not expected: b.tga"},
        {"a.tga --raw", "--raw: 1 required OUT missing"},
        {"a.tga --raw ''", "--raw: needs a file name"},
    };
    for (const auto& [args, what] : cases) {
        ToolRun run = runTool(dir, args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_EQ(run.err, std::string("glowmotion-tga: ") + what + "\nRun with --help for more information.\n")
            << args;
    }
}

}  // namespace
