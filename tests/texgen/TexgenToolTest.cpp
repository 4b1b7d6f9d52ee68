// glowmotion-texgen as users rely on it: the files each subcommand writes,
// the exit status (0 done, 1 refused or unreadable, 2 bad usage), refusals
// that name the file, and the operation reference in the docs kept current.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "common/Files.h"
#include "common/Png.h"
#include "common/Process.h"
#include "gfx/Tga.h"
#include "texgen/TextureGenerator.h"

namespace {

using testprocess::quoted;

const testfiles::TempDir kDir("texgen-tool");

testprocess::Run tool(const std::string& args, const std::string& env = "") {
    return testprocess::run(env + std::string(GLOWMOTION_BUILD_DIR) + "/glowmotion-texgen " + args);
}
std::string at(const std::string& name) { return quoted(kDir.file(name)); }
uint32_t word(const std::vector<uint8_t>& b, size_t i) {
    return b[i] | b[i + 1] << 8 | b[i + 2] << 16 | uint32_t(b[i + 3]) << 24;
}

}  // namespace

TEST(TexgenTool, RunWritesThePictureInEveryFormatAndEveryLayer) {
    const std::vector<uint8_t> stored(storedTextureProgram(), storedTextureProgram() + storedTextureProgramSize());
    ASSERT_EQ(0, tool("stored " + at("stored.txt")).status);
    ASSERT_EQ(0, tool("stored --binary " + at("stored.bin")).status);
    EXPECT_EQ(stored, testfiles::readFile(kDir.file("stored.bin")));
    ASSERT_EQ(0, tool("asm " + at("stored.txt") + " " + at("again.bin")).status);
    EXPECT_EQ(stored, testfiles::readFile(kDir.file("again.bin")));
    // Both forms run to the generator's picture: .raw exact, .tga as the show reads it, .png.
    TextureGenerator generator;
    ASSERT_TRUE(generator.setProgram(stored.data(), stored.size()));
    generator.run();
    for (const char* program : {"stored.txt", "stored.bin"}) {
        ASSERT_EQ(0, tool("run " + at(program) + " " + at("out.raw")).status);
        ASSERT_EQ(0, tool("run " + at(program) + " " + at("out.tga")).status);
        ASSERT_EQ(0, tool("run " + at(program) + " " + at("out.png")).status);
        const std::vector<uint8_t> raw = testfiles::readFile(kDir.file("out.raw"));
        ASSERT_EQ(8u + 256 * 256 * 4, raw.size());  // width and height, then the words
        TgaImage tga;
        ASSERT_TRUE(tgaLoad(kDir.file("out.tga").c_str(), &tga));
        RgbaPicture png;
        ASSERT_TRUE(readPng(kDir.file("out.png"), png));
        ASSERT_EQ(256 * 256, tga.pixels.width * tga.pixels.height);
        ASSERT_EQ(256 * 256, png.width * png.height);
        for (size_t i = 0; i < 256 * 256; ++i) {
            const uint32_t p = generator.images[0][i];
            ASSERT_EQ(p, word(raw, 8 + 4 * i)) << i;
            ASSERT_EQ(p | 0xFF000000u, tga.pixels.data[i]) << i;
            ASSERT_EQ(p, uint32_t(png.rgba[4 * i] << 16 | png.rgba[4 * i + 1] << 8 | png.rgba[4 * i + 2])) << i;
        }
    }
    // --all-layers: each layer at its own size, 0x0 for those never used.
    const std::string program = quoted(kDir.write(  // Checker 0 at 2x1, Checker 3 at 1x1, as bytes
        "layers.bin",
        std::vector<uint8_t>{20, 0, 0, 0, 0, 0xE0, 0x89, 0, 1, 2, 3, 1, 2, 3, 0, 0xE3, 0x99, 0, 7, 8, 9, 7, 8, 9}));
    ASSERT_EQ(0, tool("run --all-layers " + program + " " + at("layers.raw")).status);
    const std::vector<uint8_t> raw = testfiles::readFile(kDir.file("layers.raw"));
    ASSERT_EQ(6u * 8 + 2 * 4 + 4, raw.size());
    const std::vector<uint32_t> words = {2, 1, 0x010203, 0x010203, 0, 0, 0, 0, 1, 1, 0x070809, 0, 0, 0, 0};
    for (size_t i = 0; i < words.size(); ++i) EXPECT_EQ(words[i], word(raw, 4 * i)) << "word " << i;
}

TEST(TexgenTool, RefusalsExitOneAndWriteNothing) {
    const std::string bad = quoted(kDir.write("bad.txt", "Invert 0 rgb\nEmboss 0 rgb direction=9\n"));
    const std::string empty = quoted(kDir.write("empty.txt", "# nothing yet\n"));
    const std::string warned = quoted(kDir.write(
        "warned.txt", "Checker 0 rgb size=8x8 cells=1x1 colour1=#ffffff colour2=#000000\nAdd 0 rgb source=2\n"));
    const std::tuple<std::string, int, std::string> cases[] = {
        // arguments, status, a part of standard error
        {"run " + bad + " " + at("x.raw"), 1,
         "bad.txt: refused, line 2, column 24: Emboss direction 9 is outside 0..7"},
        {"asm " + bad + " " + at("x.bin"), 1, "bad.txt: refused, line 2"},
        {"run " + empty + " " + at("x.png"), 1,
         "layer 0, the result, stays empty: " + kDir.file("x.png") + " not written"},
        {"check " + at("missing.txt"), 1, "missing.txt: No such file or directory"},
        {"view " + warned, 1, "glowmotion-texgen: no display for the view window"},
        // Warnings go to standard error; the program still runs.
        {"check " + warned, 0, "warned.txt: line 2: warning: Add reads layer 2, which nothing has written yet"},
        {"run " + warned + " " + at("warned.png"), 0, "warned.txt: line 2: warning: Add reads layer 2"},
        {"run " + empty + " " + at("empty.raw"), 0, "warning: the program has no instructions"},
        // Bad usage.
        {"", 2, "a subcommand is required: run, check, asm, disasm, stored, view or ops"},
        {"Run a b.png", 2, "unknown subcommand 'Run' (did you mean 'run'?)"},
        {"run a b.jpeg", 2, "OUT must end in .png, .tga or .raw: b.jpeg"},
    };
    for (const auto& [args, status, error] : cases) {
        const testprocess::Run r = tool(args, "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ");
        EXPECT_EQ(status, r.status) << args << "\n" << r.err;
        EXPECT_NE(std::string::npos, r.err.find(error)) << args << "\n" << r.err;
    }
    for (const char* name : {"x.raw", "x.bin", "x.png"})
        EXPECT_TRUE(testfiles::readFile(kDir.file(name)).empty()) << name;
    EXPECT_FALSE(testfiles::readFile(kDir.file("warned.png")).empty());
    EXPECT_EQ(8u, testfiles::readFile(kDir.file("empty.raw")).size());
    EXPECT_EQ(0, tool("run --help").status);
}

TEST(TexgenTool, DocsHoldTheCurrentOperationReference) {
    const std::string docs = std::string(GLOWMOTION_SOURCE_DIR) + "/docs/";
    const testprocess::Run reference = tool("ops --examples " + quoted(docs + "texture-programs"));
    ASSERT_EQ(0, reference.status) << reference.err;
    const std::string page = testfiles::readText(docs + "texture-programs.md"), end = "<!-- end of operations -->\n";
    EXPECT_NE(std::string::npos, page.find(" from the opcode table -->\n" + reference.out + end))
        << "out of date: run scripts/texture-program-docs.sh";
}
