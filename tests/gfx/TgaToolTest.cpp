// glowmotion-tga, run as a separate process.
#include <sys/wait.h>

#include "TgaFiles.h"

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

TEST(TgaTool, HelpAndVersionGoToStandardOutputWithStatusZero) {
    TempDir dir("tga-tool-help");
    ToolRun run = runTool(dir, "--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("Usage: glowmotion-tga [OPTIONS] FILE"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("--raw OUT"), std::string::npos) << run.out;
    run = runTool(dir, "--version");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, std::string("glowmotion-tga ") + GLOWMOTION_VERSION + "\n");
}

TEST(TgaTool, BadUsageGoesToStandardErrorWithStatusTwo) {
    TempDir dir("tga-tool-usage");
    const std::pair<const char*, const char*> cases[] = {
        {"", "FILE is required"},
        {"--raw", "--raw: 1 required OUT missing"},
        {"a.tga b.tga", "The following argument was not expected: b.tga"},
        {"a.tga --raw", "--raw: 1 required OUT missing"},
        {"--bogus a.tga", "The following argument was not expected: --bogus"},
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
