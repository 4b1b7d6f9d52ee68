// glowmotion-tga, run as a separate process.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "TgaFiles.h"

using namespace tgatest;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

ToolRun runTool(const TempDir& dir, const std::string& args) {
    const std::string errFile = dir.file("stderr.txt");
    const std::string command =
        std::string("\"") + GLOWMOTION_BUILD_DIR + "/glowmotion-tga\" " + args + " 2>\"" + errFile + "\"";
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[256];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const std::vector<uint8_t> err = readFile(errFile);
    run.err.assign(err.begin(), err.end());
    return run;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

TEST(TgaTool, DescribesALoadedPicture) {
    TempDir dir("tga-tool");
    TgaSpec spec;
    spec.width = 6;
    spec.height = 2;
    spec.descriptor = 0x08;  // bottom-left, 8 alpha bits
    spec.imageId = "abc";
    const std::string path = dir.file("pic.tga");
    writeFile(path, tgaBytes(spec));
    ToolRun run = runTool(dir, quoted(path));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, path + ": loaded\nwidth: 6\nheight: 2\ndepth: 32\norigin: bottom-left\nimage id: 3 bytes\n"
                              "alpha above 0: yes\nfits a texture: yes (12 of 262144 pixels)\n");

    spec.depth = 24;
    spec.descriptor = 0x30;
    writeFile(path, tgaBytes(spec));
    run = runTool(dir, quoted(path));
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("origin: top-right\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("alpha above 0: no\n"), std::string::npos) << run.out;
}

TEST(TgaTool, RawOutputIsTheReadersPixelWords) {
    TempDir dir("tga-tool-raw");
    TgaSpec spec;
    spec.width = 3;
    spec.height = 2;
    spec.descriptor = 0x00;
    const std::string path = dir.file("pic.tga");
    const std::string raw = dir.file("pic.raw");
    writeFile(path, tgaBytes(spec));
    ToolRun run = runTool(dir, quoted(path) + " --raw " + quoted(raw));
    ASSERT_EQ(run.status, 0) << run.err;

    std::vector<uint8_t> expected = {3, 0, 2, 0};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            const Rgba c = patternColour(x, y);
            expected.insert(expected.end(), {c.b, c.g, c.r, c.a});
        }
    }
    EXPECT_EQ(readFile(raw), expected);

    // Option first works too.
    ToolRun again = runTool(dir, "--raw " + quoted(raw) + " " + quoted(path));
    EXPECT_EQ(again.status, 0);
}

TEST(TgaTool, RefusedPicturesPrintTheReadersMessageAndExitOne) {
    TempDir dir("tga-tool-refused");
    const std::string missing = dir.file("missing.tga");
    ToolRun run = runTool(dir, quoted(missing));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "TGA: No se ha podido abrir " + missing + "\n" + missing + ": refused\n");

    TgaSpec spec;
    spec.depth = 16;
    const std::string path = dir.file("d16.tga");
    writeFile(path, tgaBytes(spec));
    const std::string raw = dir.file("never.raw");
    run = runTool(dir, quoted(path) + " --raw " + quoted(raw));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.rfind("No se soporta los TGAs de 16 bpp (S\xF3lo 32 y 24 descomprimido)\n", 0), 0u) << run.out;
    EXPECT_FALSE(std::filesystem::exists(raw));
}

TEST(TgaTool, BadUsageGoesToStandardErrorWithStatusTwo) {
    TempDir dir("tga-tool-usage");
    for (const char* args : {"", "--raw", "a.tga b.tga", "a.tga --raw", "--bogus a.tga"}) {
        ToolRun run = runTool(dir, args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_NE(run.err.find("usage: glowmotion-tga FILE [--raw OUT]"), std::string::npos) << args;
    }
}

}  // namespace
