// Reading a whole file: only regular files within the size limit, every
// refusal naming the file and the reason, nothing left behind from before;
// and where the media folder is found.
#include "common/Files.h"

#include "base/DataPath.h"
#include "base/FileRead.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(FileRead, RegularFilesUpToTheLimitAndEveryOtherPathRefusedWithTheReason) {
    testfiles::TempDir temp("fileread");
    const std::string dir = temp.path().string(), module = temp.write("module.it", std::string("IMPM\0\x01\xff", 7));
    std::filesystem::create_symlink(module, temp.file("link.it"));
    ASSERT_EQ(mkfifo(temp.file("pipe.it").c_str(), 0600), 0);  // no writer: an ordinary open would wait forever
    const std::string huge = temp.write("huge.it", "");
    std::filesystem::resize_file(huge, kMaxModuleBytes + 1);  // sparse: refused before a byte is read
    struct Case {
        std::string path;
        size_t limit, size;
        std::string error;
    };
    const Case cases[] = {
        {module, 7, 7, ""},
        {temp.file("link.it"), 7, 7, ""},  // through a link, the file it names
        {temp.write("empty", ""), 0, 0, ""},
        {module, 6, 0, module + ": is larger than 6 bytes"},
        {huge, kMaxModuleBytes, 0, huge + ": is larger than 67108864 bytes"},
        {dir, 10, 0, dir + ": is a folder, not a file"},
        {"/dev/zero", kMaxModuleBytes, 0, "/dev/zero: is not a regular file"},
        {temp.file("pipe.it"), 10, 0, temp.file("pipe.it") + ": is not a regular file"},
        {temp.file("missing.it"), 10, 0, temp.file("missing.it") + ": No such file or directory"},
        {module + "/inside.it", 10, 0, module + "/inside.it: Not a directory"},
        {"", 10, 0, ": No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::vector<uint8_t> bytes = {1, 2, 3};
        std::string error = "untouched";
        EXPECT_EQ(readWholeFile(c.path, c.limit, &bytes, &error), c.error.empty());
        EXPECT_TRUE(error == (c.error.empty() ? "untouched" : c.error) && bytes.size() == c.size) << error;
    }
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readWholeFile(module, 7, &bytes, nullptr));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{'I', 'M', 'P', 'M', 0, 1, 0xff}));
    EXPECT_FALSE(readWholeFile(dir, 10, &bytes, nullptr));  // the reason is optional
}

TEST(DataFolder, BesideTheProgramOrInstalledUnderShare) {
    testfiles::TempDir temp("data-folder");
    for (const char* folder : {"build/data", "usr/games", "usr/share/games/glowmotion"})
        std::filesystem::create_directories(temp.file(folder));
    EXPECT_EQ(findDataDirectory(temp.file("build")), temp.file("build/data"));
    EXPECT_EQ(findDataDirectory(temp.file("usr/games")), temp.file("usr/share/games/glowmotion"));  // Debian's games
    EXPECT_EQ(findDataDirectory(temp.file("build/data")),
              temp.file("build/data/data"));  // neither: messages name data/
}
