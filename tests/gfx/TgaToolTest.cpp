// glowmotion-tga, run as a separate process.
#include <sys/wait.h>

#include "TgaFiles.h"

using namespace tgatest;

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

ToolRun runTool(const TempDir& dir, const std::string& args) {
    const std::string command = std::string("\"") + GLOWMOTION_BUILD_DIR + "/glowmotion-tga\" " + args + " 2>\"" +
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

TEST(TgaTool, DescribesWritesRawAndRefuses) {
    TempDir dir("tga-tool");
    TgaSpec spec;
    spec.width = 3, spec.height = 2, spec.descriptor = 0x08, spec.imageId = "abc";  // bottom-left
    const std::string pic = dir.write("pic.tga", tgaBytes(spec)), raw = dir.file("pic.raw");
    ToolRun run = runTool(dir, "\"" + pic + "\" --raw \"" + raw + "\"");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, pic + ": loaded\nwidth: 3\nheight: 2\ndepth: 32\norigin: bottom-left\nimage id: 3 bytes\n"
                             "alpha above 0: yes\nfits a texture: yes (6 of 262144 pixels)\nraw: " +
                           raw + " (28 bytes)\n");
    std::vector<uint8_t> expected = {3, 0, 2, 0};
    for (int i = 0; i < 6; ++i) {
        const Rgba c = patternColour(i % 3, i / 3);
        expected.insert(expected.end(), {c.b, c.g, c.r, c.a});
    }
    EXPECT_EQ(readFile(raw), expected);

    spec.depth = 24, spec.descriptor = 0x30;
    run = runTool(dir, "--raw \"" + raw + "\" \"" + dir.write("rgb.tga", tgaBytes(spec)) + "\"");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("origin: top-right\nimage id: 3 bytes\nalpha above 0: no\n"), std::string::npos);

    const std::string missing = dir.file("missing.tga");
    run = runTool(dir, "\"" + missing + "\" --raw \"" + dir.file("never.raw") + "\"");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "TGA: No se ha podido abrir " + missing + "\n" + missing + ": refused\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("never.raw")));
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
