// What `glowmotion-texgen view` does without a window: notice saves of the
// program file (in place, by rename, after a delete), ignore other files,
// re-run it, and keep the last picture while the file is refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ViewSession.h"
#include "common/Files.h"

TEST(TexgenView, RerunsOnEverySaveAndKeepsThePictureWhileRefused) {
    const std::string kRed = "Checker 0 rgb size=16x8 cells=1x1 colour1=#ff0000 colour2=#ff0000\n";
    const std::string kBlue = "Checker 0 rgb size=8x8 cells=1x1 colour1=#0000ff colour2=#0000ff\nCopy 2 rgb source=0\n";
    const testfiles::TempDir dir("texgen-view");
    const std::string file = dir.write("program.txt", kRed);
    ViewSession session(file);
    ASSERT_TRUE(session.watcher().watching()) << session.watcher().error();
    ASSERT_TRUE(session.reload());
    EXPECT_EQ(0xFF0000u, session.generator().images[0][0]);
    EXPECT_EQ("program.txt: ok: 1 instruction in 10 bytes, layer 0 ends 16x8", session.title());
    EXPECT_FALSE(session.poll());  // nothing saved since
    dir.write("other.txt", kBlue);
    EXPECT_FALSE(session.poll());

    dir.write("program.txt", kBlue);  // in place
    EXPECT_TRUE(session.poll());
    EXPECT_EQ(2, session.runs());
    EXPECT_EQ(0x0000FFu, session.generator().images[0][0]);
    EXPECT_EQ(8, session.generator().layers[2].width);

    dir.write("program.txt", kRed + "Blur 0 rgb passes=300\n");
    EXPECT_TRUE(session.poll());
    EXPECT_EQ(2, session.runs());
    EXPECT_EQ(0x0000FFu, session.generator().images[0][0]);
    EXPECT_EQ(file + ": refused, line 2, column 19: Blur passes 300 is outside 0..255", session.title());

    dir.write(".program.txt.swp", kRed);  // written beside it, renamed over it
    ASSERT_EQ(0, std::rename(dir.file(".program.txt.swp").c_str(), file.c_str()));
    EXPECT_TRUE(session.poll());
    EXPECT_EQ("", session.message());
    EXPECT_EQ(0xFF0000u, session.generator().images[0][0]);

    ASSERT_EQ(0, std::remove(file.c_str()));  // deleted: refused by name, the picture stays
    EXPECT_TRUE(session.poll());
    EXPECT_NE(std::string::npos, session.message().find("program.txt: No such file or directory")) << session.message();
    EXPECT_EQ(0xFF0000u, session.generator().images[0][0]);
    dir.write("program.txt", kBlue);
    EXPECT_TRUE(session.poll());
    EXPECT_EQ(0x0000FFu, session.generator().images[0][0]);
}
