// What `glowmotion-texgen view` does without a window: notice saves of the
// program file (in place, by rename, after a delete) and re-run it, keeping
// the last picture while the file is refused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "ViewSession.h"

namespace {

class TexgenView : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::string(GLOWMOTION_BUILD_DIR) + "/tests/texgen-view/" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" + std::to_string(getpid());
        ASSERT_EQ(0, std::system(("rm -rf " + dir_ + " && mkdir -p " + dir_).c_str()));
        file_ = dir_ + "/program.txt";
    }
    void TearDown() override {
        if (!HasFailure()) std::system(("rm -rf " + dir_).c_str());
    }
    void save(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

    std::string dir_, file_;
};

const char kRed[] = "Checker 0 rgb size=16x8 cells=1x1 colour1=#ff0000 colour2=#ff0000\n";
const char kBlue[] = "Checker 0 rgb size=8x8 cells=1x1 colour1=#0000ff colour2=#0000ff\nCopy 2 rgb source=0\n";

}  // namespace

TEST_F(TexgenView, RerunsWhenTheFileIsSavedInPlace) {
    save(file_, kRed);
    ViewSession session(file_);
    ASSERT_TRUE(session.watcher().watching()) << session.watcher().error();
    ASSERT_TRUE(session.reload());
    EXPECT_EQ(0xFF0000u, session.generator().images[0][0]);
    EXPECT_EQ(16, session.generator().layers[0].width);
    EXPECT_FALSE(session.poll());  // nothing saved since
    EXPECT_EQ("program.txt: ok: 1 instruction in 10 bytes, layer 0 ends 16x8", session.title());

    save(file_, kBlue);
    EXPECT_TRUE(session.poll());
    EXPECT_EQ(2, session.runs());
    EXPECT_EQ(0x0000FFu, session.generator().images[0][0]);
    EXPECT_EQ(8, session.generator().layers[2].width);
    EXPECT_FALSE(session.poll());
}

TEST_F(TexgenView, ARefusedSaveKeepsThePictureAndShowsTheLine) {
    save(file_, kRed);
    ViewSession session(file_);
    ASSERT_TRUE(session.reload());
    save(file_, std::string(kRed) + "Blur 0 rgb passes=300\n");
    EXPECT_TRUE(session.poll());
    EXPECT_EQ(1, session.runs());
    EXPECT_EQ(0xFF0000u, session.generator().images[0][0]);
    EXPECT_EQ(file_ + ": refused, line 2, column 19: Blur passes 300 is outside 0..255", session.message());
    EXPECT_EQ(session.message(), session.title());
    // Fixed: runs again and the message goes.
    save(file_, kBlue);
    EXPECT_TRUE(session.poll());
    EXPECT_EQ("", session.message());
    EXPECT_EQ(0x0000FFu, session.generator().images[0][0]);
}

TEST_F(TexgenView, SeesEditorsThatReplaceTheFileAndIgnoresOtherFiles) {
    save(file_, kRed);
    ViewSession session(file_);
    ASSERT_TRUE(session.reload());
    save(dir_ + "/other.txt", kBlue);
    EXPECT_FALSE(session.poll());
    // Written beside it, then renamed over it.
    save(dir_ + "/.program.txt.swp", kBlue);
    ASSERT_EQ(0, std::rename((dir_ + "/.program.txt.swp").c_str(), file_.c_str()));
    EXPECT_TRUE(session.poll());
    EXPECT_EQ(0x0000FFu, session.generator().images[0][0]);
    // Deleted: refused by name, the picture stays; written again: runs.
    ASSERT_EQ(0, std::remove(file_.c_str()));
    EXPECT_TRUE(session.poll());
    EXPECT_NE(std::string::npos, session.message().find("program.txt: No such file or directory")) << session.message();
    EXPECT_EQ(0x0000FFu, session.generator().images[0][0]);
    save(file_, kRed);
    EXPECT_TRUE(session.poll());
    EXPECT_EQ(0xFF0000u, session.generator().images[0][0]);
}
