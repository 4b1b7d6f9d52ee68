// The contact sheet reads the files of a data folder: what is not a picture
// file is refused at once, naming the file and why.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Art.h"

namespace {

namespace fs = std::filesystem;

TEST(ContactSheet, RefusesWhatIsNotThePictureFileNamingItAndWhy) {
    const fs::path dir = fs::temp_directory_path() / ("glowmotion-contact-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const auto& entry : fs::directory_iterator(GLOWMOTION_DATA_DIR)) {
        if (entry.path().extension() != ".it") fs::copy_file(entry.path(), dir / entry.path().filename());
    }
    const std::string vinyl = (dir / "vinyl.tga").string(), out = (dir / "sheet.png").string();
    std::string why;
    ASSERT_TRUE(art::writeContactSheet(dir.string(), out, &why)) << why;

    // A device would be read until memory runs out.
    fs::remove(vinyl);
    fs::create_symlink("/dev/zero", vinyl);
    EXPECT_FALSE(art::writeContactSheet(dir.string(), out, &why));
    EXPECT_EQ(why, "cannot read " + vinyl + ": is not a regular file");
    fs::remove(vinyl);
    fs::create_directory(vinyl);
    EXPECT_FALSE(art::writeContactSheet(dir.string(), out, &why));
    EXPECT_EQ(why, "cannot read " + vinyl + ": is a folder, not a file");
    fs::remove(vinyl);
    std::ofstream(vinyl, std::ios::binary) << "TRUEVISION";
    EXPECT_FALSE(art::writeContactSheet(dir.string(), out, &why));
    EXPECT_EQ(why, "cannot read " + vinyl + ": not the picture the catalogue lists");
    fs::remove(vinyl);
    EXPECT_FALSE(art::writeContactSheet(dir.string(), out, &why));
    EXPECT_EQ(why, "cannot read " + vinyl + ": No such file or directory");
    fs::remove_all(dir);
}

TEST(ArtTool, AFileThatCannotBeWrittenIsNamedWithTheSystemsReason) {
    const fs::path dir = fs::temp_directory_path() / ("glowmotion-art-write-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "vinyl.tga");  // the first file of the catalogue
    std::string why;
    EXPECT_FALSE(art::writeAllArt(dir.string(), &why));
    EXPECT_EQ(why, "cannot write " + (dir / "vinyl.tga").string() + ": Is a directory");
    fs::remove_all(dir);
}

}  // namespace
