// glowmotion-texgen end to end: run (.raw, .png, .tga, --time, --all-layers),
// check, asm, disasm, stored, refusals, files that are not programs, the
// command line, view without a display.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "TexgenTestSupport.h"
#include "gfx/Tga.h"

using namespace texgen_test;

namespace {

const std::string kTool = std::string(GLOWMOTION_BUILD_DIR) + "/glowmotion-texgen";

struct Result {
    int status;
    std::string out;  // stdout, then stderr
    std::string err;  // stderr alone
};

Result tool(const std::string& args) {
    // One process per test (ctest runs them so): the process id names the file.
    const std::string errFile =
        std::string(GLOWMOTION_BUILD_DIR) + "/tests/texgen-tool-stderr-" + std::to_string(getpid()) + ".txt";
    std::string out;
    FILE* pipe = popen((kTool + " " + args + " 2>" + errFile).c_str(), "r");
    if (!pipe) return {-1, "", ""};
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int status = pclose(pipe);
    std::ifstream in(errFile, std::ios::binary);
    const std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::remove(errFile.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out + err, err};
}

// Every test works in a folder of its own (test name + process id), so that
// ctest -j runs them side by side.
class TexgenTool : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::string(GLOWMOTION_BUILD_DIR) + "/tests/texgen-tool/" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" + std::to_string(getpid());
        ASSERT_EQ(0, std::system(("rm -rf " + dir_ + " && mkdir -p " + dir_).c_str()));
    }
    void TearDown() override {
        if (!HasFailure()) std::system(("rm -rf " + dir_).c_str());
    }

    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path(name);
    }
    std::string write(const std::string& name, const std::string& text) const {
        return write(name, std::vector<uint8_t>(text.begin(), text.end()));
    }

    std::string dir_;
};

std::vector<uint8_t> read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string readText(const std::string& path) {
    const auto bytes = read(path);
    return std::string(bytes.begin(), bytes.end());
}

uint32_t word(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

std::vector<uint8_t> storedProgram() {
    return std::vector<uint8_t>(storedTextureProgram(), storedTextureProgram() + storedTextureProgramSize());
}

}  // namespace

TEST_F(TexgenTool, StoredAsTextRunsToTheShowsTexture) {
    // `stored` writes the text form by default; running it gives the very
    // words the show's generated texture is made from.
    ASSERT_EQ(0, tool("stored " + path("stored.txt")).status);
    const std::string text = readText(path("stored.txt"));
    EXPECT_NE(std::string::npos, text.find("DisplaceAdd 1 rgb source=0 strength=4\n")) << text;
    ASSERT_EQ(0, tool("run " + path("stored.txt") + " " + path("text.raw")).status);
    ASSERT_EQ(0, tool("stored --binary " + path("stored.bin")).status);
    EXPECT_EQ(storedProgram(), read(path("stored.bin")));
    ASSERT_EQ(0, tool("run " + path("stored.bin") + " " + path("bytes.raw")).status);
    const auto raw = read(path("text.raw"));
    ASSERT_EQ(8u + 256 * 256 * 4, raw.size());
    EXPECT_EQ(read(path("bytes.raw")), raw);
    auto gen = std::make_unique<TextureGenerator>();
    gen->setProgram(storedTextureProgram());
    gen->run();
    EXPECT_EQ(fnv1a(gen->images[0], 256 * 256), fnv1a(reinterpret_cast<const uint32_t*>(raw.data() + 8), 256 * 256));
    // Standard output by default.
    const Result out = tool("stored");
    EXPECT_EQ(0, out.status);
    EXPECT_EQ(text, out.out);
}

TEST_F(TexgenTool, TgaReadByTheShowsReaderEqualsTheRaw) {
    // 8 x 4 so that rows, row order and channel order all show.
    const std::string program = write("board.txt",
                                      "Checker 0 rgb size=8x4 cells=2x1 colour1=#102030 colour2=#f0e0d0\n"
                                      "Scroll 0 rgb shift=0x8001\n");
    ASSERT_EQ(0, tool("run " + program + " " + path("board.tga")).status);
    ASSERT_EQ(0, tool("run " + program + " " + path("board.raw")).status);
    const auto raw = read(path("board.raw"));
    ASSERT_EQ(8u + 32 * 4, raw.size());
    TgaImage image;
    ASSERT_TRUE(tgaLoad(path("board.tga").c_str(), &image));
    EXPECT_EQ(32, image.pixelDepth);
    ASSERT_EQ(8, image.pixels.width);
    ASSERT_EQ(4, image.pixels.height);
    for (size_t i = 0; i < 32; ++i) {
        EXPECT_EQ(word(raw, 8 + 4 * i), image.pixels.data[i] & 0xFFFFFFu) << i;
        EXPECT_EQ(0xFFu, image.pixels.data[i] >> 24) << i;  // opaque
    }
    // Scrolled left by one: (0, 0) came from (1, 0), (1, 0) from (2, 0).
    EXPECT_EQ(0x102030u, word(raw, 8));
    EXPECT_EQ(0xF0E0D0u, word(raw, 8 + 4 * 1));
    EXPECT_EQ(0xF0E0D0u, word(raw, 8 + 4 * 16));  // lower half: the squares swap
    EXPECT_EQ(0x102030u, word(raw, 8 + 4 * 17));
}

TEST_F(TexgenTool, RunWritesAPngAndTimesEachInstruction) {
    const std::string program = write("stored.bin", storedProgram());
    const Result r = tool("run --time " + program + " " + path("stored.png"));
    ASSERT_EQ(0, r.status) << r.out;
    const auto bytes = read(path("stored.png"));
    ASSERT_GT(bytes.size(), 24u);
    EXPECT_EQ(0x89, bytes[0]);
    EXPECT_EQ('P', bytes[1]);
    EXPECT_EQ(256u, static_cast<uint32_t>(bytes[16] << 24 | bytes[17] << 16 | bytes[18] << 8 | bytes[19]));
    // One line per instruction (byte offset, operation, layer, ms), then the total.
    for (const char* line : {"     4  Plasma              0", "    19  Blur                0",
                             "    49  Copy                0", "        total"})
        EXPECT_NE(std::string::npos, r.out.find(line)) << line << "\n" << r.out;
    EXPECT_EQ(10, std::count(r.out.begin(), r.out.end(), '\n')) << r.out;
    // A text program is timed by its lines.
    const std::string text = write("two.txt", "# two\nInvert 0 rgb\n\nInvert 0 rgb\n");
    const Result t = tool("run --time " + text + " " + path("two.raw"));
    EXPECT_NE(std::string::npos, t.out.find("     2  Invert")) << t.out;
    EXPECT_NE(std::string::npos, t.out.find("     4  Invert")) << t.out;
}

TEST_F(TexgenTool, AllLayersWritesSixImagesWithTheirOwnSizes) {
    // Layer 0: 4 x 2 checker; layer 3: 1 x 1; the others stay 0 x 0.
    const auto prog = program({{0x00, 0xE0, 0x78, 0x00, 1, 2, 3, 4, 5, 6}, {0x00, 0xE3, 0x99, 0x00, 7, 8, 9, 7, 8, 9}});
    const std::string file = write("layers.bin", prog);
    ASSERT_EQ(0, tool("run --all-layers " + file + " " + path("layers.raw")).status);
    const auto b = read(path("layers.raw"));
    ASSERT_EQ(6u * 8 + 8 * 4 + 4, b.size());
    size_t at = 0;
    const uint32_t widths[6] = {4, 0, 0, 1, 0, 0}, heights[6] = {2, 0, 0, 1, 0, 0};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(widths[k], word(b, at)) << k;
        EXPECT_EQ(heights[k], word(b, at + 4)) << k;
        if (k == 0) {
            EXPECT_EQ(0x010203u, word(b, at + 8));
        }
        if (k == 3) {
            EXPECT_EQ(0x070809u, word(b, at + 8));
        }
        at += 8 + 4 * widths[k] * heights[k];
    }
    // .tga: one file per used layer.
    ASSERT_EQ(0, tool("run --all-layers " + file + " " + path("layers.tga")).status);
    EXPECT_EQ(18u + 8 * 4, read(path("layers-0.tga")).size());
    EXPECT_EQ(18u + 4, read(path("layers-3.tga")).size());
    EXPECT_TRUE(read(path("layers-1.tga")).empty());
}

TEST_F(TexgenTool, AsmAndDisasmConvertBothWays) {
    ASSERT_EQ(0, tool("stored " + path("stored.txt")).status);
    ASSERT_EQ(0, tool("asm " + path("stored.txt") + " " + path("stored.bin")).status);
    EXPECT_EQ(storedProgram(), read(path("stored.bin")));
    const Result text = tool("disasm " + path("stored.bin"));
    EXPECT_EQ(0, text.status);
    EXPECT_EQ(0u, text.out.find("Plasma 0 rgb size=256x256")) << text.out;
    ASSERT_EQ(0, tool("disasm " + path("stored.bin") + " " + path("again.txt")).status);
    EXPECT_EQ(text.out, readText(path("again.txt")));
    // asm refuses a byte program and text that would make a refused one.
    EXPECT_EQ(1, tool("asm " + path("stored.bin") + " " + path("x.bin")).status);
    const Result bad = tool("asm " + write("bad.txt", "Invert 0 rgb\nEmboss 0 rgb direction=9\n") + " " + path("x.bin"));
    EXPECT_EQ(1, bad.status);
    EXPECT_NE(std::string::npos, bad.out.find("bad.txt: refused, line 2, column 24: Emboss direction 9 is outside 0..7"))
        << bad.out;
    EXPECT_TRUE(read(path("x.bin")).empty());
}

TEST_F(TexgenTool, CheckAcceptsWithOneLine) {
    ASSERT_EQ(0, tool("stored " + path("stored.txt")).status);
    // An editor's UTF-8 byte-order mark in front of the text changes nothing.
    write("bom.txt", "\xEF\xBB\xBF" + readText(path("stored.txt")));
    for (const std::string& file : {write("stored.bin", storedProgram()), path("stored.txt"), path("bom.txt")}) {
        const Result r = tool("check " + file);
        EXPECT_EQ(0, r.status);
        EXPECT_EQ(file + ": ok: 8 instructions in 48 bytes, layer 0 ends 256x256\n", r.out);  // and no warning
    }
}

// Legal programs that are almost surely wrong: check says so on standard
// error with status 0, and run the same; a picture file of an empty result
// is refused in the same words.
TEST_F(TexgenTool, CheckAndRunWarnAboutLikelyMistakes) {
    const std::string checker16 = "Checker 0 rgb size=16x16 cells=2x2 colour1=#ffffff colour2=#000000\n";
    const std::string checker8 = "Checker 1 rgb size=8x8 cells=2x2 colour1=#ff0000 colour2=#0000ff\n";
    struct Case {
        std::string name, program, summary, warnings;
        bool picture;  // run writes OUT.png
    };
    const Case cases[] = {
        {"unwritten.txt", checker16 + "Add 0 rgb source=2\n", "2 instructions in 13 bytes, layer 0 ends 16x16",
         "line 2: warning: Add reads layer 2, which nothing has written yet\n", true},
        {"smaller.txt", checker16 + "# small\n" + checker8 + "Multiply 0 rgb source=1\n",
         "3 instructions in 23 bytes, layer 0 ends 16x16",
         "line 4: warning: Multiply reads layer 1 (8x8), smaller than layer 0 (16x16): only the first 64 of 256 "
         "pixels change\n",
         true},
        {"unwritten.bin", std::string("\x03\x00\x00\x00\x20\xE4\x02", 7), "1 instruction in 3 bytes, layer 0 ends 0x0",
         "byte 4: warning: Blur works on layer 4, which nothing has written yet\nwarning: layer 0, the result, ends "
         "empty (0x0)\n",
         false},
        {"empty.txt", "", "0 instructions in 0 bytes, layer 0 ends 0x0",
         "warning: the program has no instructions: layer 0, the result, stays empty\n", false},
        {"comments.txt", "# nothing yet\n", "0 instructions in 0 bytes, layer 0 ends 0x0",
         "warning: the program has no instructions: layer 0, the result, stays empty\n", false},
    };
    for (const Case& c : cases) {
        const std::string file = write(c.name, c.program);
        std::string warnings;
        for (size_t at = 0; at < c.warnings.size();) {
            const size_t end = c.warnings.find('\n', at) + 1;
            warnings += file + ": " + c.warnings.substr(at, end - at);
            at = end;
        }
        Result r = tool("check " + file);
        EXPECT_EQ(0, r.status) << c.name;
        EXPECT_EQ(file + ": ok: " + c.summary + "\n" + warnings, r.out);
        EXPECT_EQ(warnings, r.err);
        r = tool("run " + file + " " + path("out.raw"));
        EXPECT_EQ(0, r.status) << c.name;
        EXPECT_EQ(warnings, r.err);
        r = tool("run " + file + " " + path("out.png"));
        if (c.picture) {
            EXPECT_EQ(0, r.status) << c.name;
            EXPECT_EQ(warnings, r.err);
        } else {
            const size_t last = c.warnings.rfind("warning: ");
            EXPECT_EQ(1, r.status) << c.name;
            EXPECT_EQ("glowmotion-texgen: " + file + ": " + c.warnings.substr(last + 9, c.warnings.size() - last - 10) +
                          ": " + path("out.png") + " not written\n",
                      r.err);
            EXPECT_TRUE(read(path("out.png")).empty()) << c.name;
        }
        std::remove(path("out.png").c_str());
    }
}

TEST_F(TexgenTool, RefusedProgramIsNamedAndNeverRun) {
    const std::string bytes = write("bad.bin", program({{0x14, 0xE0}, {0x12, 0xE0, 0x09}}));
    const std::string text = write("bad.txt", "# inverted\nInvert 0 rgb\nEmboss 0 rgb direction=9  # too far\n");
    const std::pair<std::string, std::string> cases[] = {
        {bytes, "bad.bin: refused, byte 8: Emboss direction 9 is outside 0..7"},
        {text, "bad.txt: refused, line 3, column 24: Emboss direction 9 is outside 0..7"}};
    for (const auto& [file, message] : cases) {
        Result r = tool("check " + file);
        EXPECT_EQ(1, r.status);
        EXPECT_NE(std::string::npos, r.out.find(message)) << r.out;
        r = tool("run " + file + " " + path("bad.raw"));
        EXPECT_EQ(1, r.status);
        EXPECT_NE(std::string::npos, r.out.find(message)) << r.out;
        EXPECT_TRUE(read(path("bad.raw")).empty());
    }
}

TEST_F(TexgenTool, FilesThatAreNotProgramsAreRefusedByName) {
    const std::pair<std::string, std::string> cases[] = {
        {path("no-such-program.bin"), path("no-such-program.bin") + ": No such file or directory"},
        {dir_, dir_ + ": is a folder, not a file"},
        {"/dev/zero", "/dev/zero: is not a regular file"},
    };
    for (const auto& [file, message] : cases) {
        for (const std::string& command : {"check " + file, "run " + file + " " + path("x.raw"), "disasm " + file,
                                           "asm " + file + " " + path("x.bin")}) {
            const Result r = tool(command);
            EXPECT_EQ(1, r.status) << command;
            EXPECT_NE(std::string::npos, r.out.find("glowmotion-texgen: " + message)) << command << "\n" << r.out;
        }
    }
    // Too large for a program: refused before it is read.
    {
        std::ofstream big(path("big.txt"));
        big << std::string((1u << 20) + 1, '#');
    }
    const Result big = tool("check " + path("big.txt"));
    EXPECT_EQ(1, big.status);
    EXPECT_NE(std::string::npos, big.out.find("big.txt: is larger than 1048576 bytes")) << big.out;
}

TEST_F(TexgenTool, HelpAndBadUsage) {
    for (const char* args : {"--help", "run --help", "check --help", "asm --help", "disasm --help", "stored --help",
                             "view --help", "ops --help"}) {
        const Result r = tool(args);
        EXPECT_EQ(0, r.status) << args;
        EXPECT_NE(std::string::npos, r.out.find("Usage: glowmotion-texgen")) << args << r.out;
    }
    EXPECT_NE(std::string::npos, tool("run --help").out.find("--time"));
    const std::string subcommands = "run, check, asm, disasm, stored, view or ops";
    const std::pair<const char*, std::string> mistakes[] = {
        {"", "a subcommand is required: " + subcommands},
        {"frobnicate", "unknown subcommand 'frobnicate'; give one of " + subcommands},
        {"Run prog.txt out.png", "unknown subcommand 'Run' (did you mean 'run'?); give one of " + subcommands},
        {"check", "PROGRAM is required"},
        {"check a b", "The following argument was not expected: b"},
        {"run onlyone", "OUT is required"},
        {"run --bogus a b.raw", "The following argument was not expected: --bogus"},
        {"run a b.jpeg", "OUT: OUT must end in .png, .tga or .raw: b.jpeg"},
        {"asm onlyone", "OUT is required"},
        {"stored a b", "The following argument was not expected: b"},
    };
    for (const auto& [args, what] : mistakes) {
        const Result r = tool(args);
        EXPECT_EQ(2, r.status) << args;
        EXPECT_EQ("glowmotion-texgen: " + what + "\nRun with --help for more information.\n", r.err) << args;
        EXPECT_EQ(r.err, r.out) << args;  // nothing on standard output
    }
}

TEST_F(TexgenTool, ViewWithoutADisplaySaysSoAndExitsOne) {
    const std::string file = write("stored.bin", storedProgram());
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " + kTool + " view " + file + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(nullptr, pipe);
    std::string out;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int status = pclose(pipe);
    EXPECT_EQ(1, WIFEXITED(status) ? WEXITSTATUS(status) : -1) << out;
    EXPECT_NE(std::string::npos, out.find("glowmotion-texgen: no display for the view window")) << out;
}

TEST_F(TexgenTool, DocsHoldTheTablesReferenceAndARenderedExamplePerOperation) {
    const std::string docs = std::string(GLOWMOTION_SOURCE_DIR) + "/docs/";
    const Result reference = tool("ops --examples " + docs + "texture-programs");
    ASSERT_EQ(0, reference.status) << reference.out;
    const std::string page = readText(docs + "texture-programs.md");
    const std::string generated =
        "<!-- operations: generated by scripts/texture-program-docs.sh from the opcode table -->\n" + reference.out +
        "<!-- end of operations -->\n";
    EXPECT_NE(std::string::npos, page.find(generated))
        << "docs/texture-programs.md is out of date: run scripts/texture-program-docs.sh";
    for (int op = 0; op < kTextureOpCount; ++op) {
        const std::string name = textureOpName(static_cast<uint8_t>(op));
        const std::string example = docs + "texture-programs/" + name + ".txt";
        const std::string text = readText(example);
        // The example uses its operation, and is accepted.
        EXPECT_NE(std::string::npos, text.find("\n" + name + " ")) << example;
        const Result check = tool("check " + example);
        ASSERT_EQ(0, check.status) << check.out;
        EXPECT_EQ("", check.err) << example;  // an example makes no mistake
        // Its picture is there, at the size the program makes.
        const size_t at = check.out.find("layer 0 ends ");
        ASSERT_NE(std::string::npos, at);
        const std::string size = check.out.substr(at + 13, check.out.find('\n', at) - at - 13);
        const auto png = read(docs + "texture-programs/" + name + ".png");
        ASSERT_GT(png.size(), 24u) << name;
        const uint32_t w = static_cast<uint32_t>(png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19]);
        const uint32_t h = static_cast<uint32_t>(png[20] << 24 | png[21] << 16 | png[22] << 8 | png[23]);
        EXPECT_EQ(size, std::to_string(w) + "x" + std::to_string(h)) << name;
    }
}
