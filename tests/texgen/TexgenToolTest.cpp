// glowmotion-texgen end to end: run, check, --all-layers, refusals, status codes.
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

using namespace texgen_test;

namespace {

const std::string kTool = std::string(GLOWMOTION_BUILD_DIR) + "/glowmotion-texgen";
// Each test (and each run of it) has its own folder, so ctest -j can run the
// tests side by side.
std::string testDir() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(GLOWMOTION_BUILD_DIR) + "/tests/texgen-tool/" + test->name() + "-" +
           std::to_string(getpid());
}

struct Result {
    int status;
    std::string out;  // stdout and stderr together
};

Result tool(const std::string& args) {
    std::string out;
    FILE* pipe = popen((kTool + " " + args + " 2>&1").c_str(), "r");
    if (!pipe) return {-1, ""};
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::system(("mkdir -p " + testDir()).c_str());
    const std::string path = testDir() + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<uint8_t> read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t word(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

std::vector<uint8_t> storedProgram() {
    return std::vector<uint8_t>(storedTextureProgram(), storedTextureProgram() + storedTextureProgramSize());
}

}  // namespace

TEST(TexgenTool, RunWritesTheExactStoredImage) {
    const std::string program = write("stored.bin", storedProgram());
    const std::string raw = testDir() + "/stored.raw";
    std::remove(raw.c_str());
    ASSERT_EQ(0, tool("run " + program + " " + raw).status);
    const auto bytes = read(raw);
    ASSERT_EQ(8u + 256 * 256 * 4, bytes.size());
    EXPECT_EQ(256u, word(bytes, 0));
    EXPECT_EQ(256u, word(bytes, 4));
    auto gen = std::make_unique<TextureGenerator>();
    gen->setProgram(storedTextureProgram());
    gen->run();
    for (size_t i = 0; i < 256 * 256; ++i) ASSERT_EQ(gen->images[0][i], word(bytes, 8 + 4 * i)) << i;
}

TEST(TexgenTool, RunWritesAPng) {
    const std::string program = write("stored.bin", storedProgram());
    const std::string png = testDir() + "/stored.png";
    std::remove(png.c_str());
    ASSERT_EQ(0, tool("run " + program + " " + png).status);
    const auto bytes = read(png);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(0x89, bytes[0]);
    EXPECT_EQ('P', bytes[1]);
}

TEST(TexgenTool, AllLayersWritesSixImagesWithTheirOwnSizes) {
    // Layer 0: 4 x 2 checker; layer 3: 1 x 1; the others stay 0 x 0.
    const auto prog = program({{0x00, 0xE0, 0x78, 0x00, 1, 2, 3, 4, 5, 6}, {0x00, 0xE3, 0x99, 0x00, 7, 8, 9, 7, 8, 9}});
    const std::string path = write("layers.bin", prog);
    const std::string raw = testDir() + "/layers.raw";
    ASSERT_EQ(0, tool("run --all-layers " + path + " " + raw).status);
    const auto b = read(raw);
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
}

TEST(TexgenTool, CheckAcceptsWithOneLine) {
    const Result r = tool("check " + write("stored.bin", storedProgram()));
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find("ok: 8 instructions in 48 bytes, layer 0 ends 256x256")) << r.out;
    EXPECT_EQ(1, std::count(r.out.begin(), r.out.end(), '\n'));
}

TEST(TexgenTool, RefusedProgramIsNamedAndNeverRun) {
    const std::string path = write("bad.bin", program({{0x14, 0xE0}, {0x12, 0xE0, 0x09}}));
    Result r = tool("check " + path);
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("byte 8: Emboss direction 9 is above 7")) << r.out;
    const std::string raw = testDir() + "/bad.raw";
    std::remove(raw.c_str());
    r = tool("run " + path + " " + raw);
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("byte 8")) << r.out;
    EXPECT_TRUE(read(raw).empty());
}

TEST(TexgenTool, UnreadableFileIsNamed) {
    const Result r = tool("check " + testDir() + "/no-such-program.bin");
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.out.find("no-such-program.bin")) << r.out;
    EXPECT_EQ(1, tool("run " + testDir() + "/no-such-program.bin " + testDir() + "/x.raw").status);
}

TEST(TexgenTool, UnknownUsageIsStatusTwo) {
    for (const char* args : {"", "frobnicate", "check", "check a b", "run onlyone", "run --bogus a b.raw",
                             "run a b.jpeg"}) {
        const Result r = tool(args);
        EXPECT_EQ(2, r.status) << args;
        EXPECT_NE(std::string::npos, r.out.find("usage:")) << args;
    }
}
