// The contact sheet reads the files of a data folder: what is not a picture
// file is refused at once, naming the file and why. The tool names what it
// cannot find or write.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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

// The tool as a user runs it: what it says on standard error, and its status.
TEST(ArtTool, NamesWhatItCannotFindOrWriteWithTheSystemsReason) {
    const fs::path dir = fs::temp_directory_path() / ("glowmotion-art-write-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "data" / "vinyl.tga");  // the first file of the catalogue
    const std::string tool = std::string(GLOWMOTION_BUILD_DIR) + "/glowmotion-art", d = dir.string();
    const std::pair<std::string, std::string> cases[] = {
        {d + "/data", "cannot write " + d + "/data/vinyl.tga: Is a directory"},
        {"--preview stars " + d + "/x.png", "no picture named stars; the names: vinyl.tga, technics.tga, bck1.tga, "},
        {"--preview star " + d + "/missing/x.png", "cannot write " + d + "/missing/x.png: No such file or directory"},
        {"--preview star.tga /dev/full", "cannot write /dev/full: No space left on device"},
        {"--preview frog " + d + "/frog.png", ""},
    };
    for (const auto& [args, message] : cases) {
        const std::string err = d + "/err.txt";
        const int status = std::system((tool + " " + args + " 2>" + err).c_str());
        std::ifstream in(err);
        const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (message.empty()) {
            EXPECT_EQ(status, 0) << args << said;
            continue;
        }
        EXPECT_EQ(WEXITSTATUS(status), 1) << args;
        EXPECT_EQ(said.rfind("glowmotion-art: " + message, 0), 0u) << args << "\n" << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }
    EXPECT_TRUE(fs::exists("/dev/full"));  // a device is never removed
    EXPECT_FALSE(fs::exists(dir / "x.png"));
    std::ifstream png(dir / "frog.png", std::ios::binary);
    char magic[4] = {};
    png.read(magic, 4);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");  // "frog" is frog.tga, drawn
    fs::remove_all(dir);
}

}  // namespace
