// The TGA reader on files it did not write: files saved by Pillow, and
// real-world test-suite files checked against Pillow's decode of them.
#include <cstdlib>

#include "common/TgaFiles.h"

using namespace tgatest;

namespace {

// Runs Debian's python3 (with python3-pil) on a script.
void runPython(const TempDir& dir, const std::string& script, const std::string& args) {
    const std::string command =
        std::string("\"") + GLOWMOTION_PYTHON3 + "\" \"" + dir.write("script.py", script) + "\" " + args;
    ASSERT_EQ(std::system(command.c_str()), 0) << "Pillow (python3-pil) is part of the test set-up: " << command;
}

TEST(TgaOutsideFiles, PillowFilesDecodeToThePicturePillowWrote) {
    TempDir dir("tga-pillow");
    runPython(dir, R"(
import sys, os
from PIL import Image
d = sys.argv[1]
im = Image.new("RGBA", (37, 23))
im.putdata([((x * 7 + y) & 255, (y * 5 + 1) & 255, (x ^ (y * 3)) & 255, (x + y * 2 + 1) & 255)
            for y in range(23) for x in range(37)])
im.save(os.path.join(d, "rgba_bl.tga"))
im.save(os.path.join(d, "rgba_tl.tga"), orientation=1, id_section=b"Glowmotion test")
im.convert("RGB").save(os.path.join(d, "rgb_bl.tga"))
im.convert("RGB").save(os.path.join(d, "rgb_tl.tga"), orientation=1)
im.save(os.path.join(d, "rle.tga"), compression="tga_rle")
im.convert("LA").save(os.path.join(d, "grey.tga"))
im.convert("P").save(os.path.join(d, "palette.tga"))
)", "\"" + dir.path().string() + "\"");
    for (const char* name : {"rgba_bl.tga", "rgba_tl.tga", "rgb_bl.tga", "rgb_tl.tga"}) {
        SCOPED_TRACE(name);
        Load load(dir.file(name));
        expectPicture(load, 37, 23, name[3] == 'a');
        EXPECT_EQ(load.image->descriptor & 0x20, std::string(name).find("_tl") != std::string::npos ? 0x20 : 0);
    }
    Load withId(dir.file("rgba_tl.tga"));
    ASSERT_EQ(withId.image->idLength, 15);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(withId.image->imageId.get()), 15), "Glowmotion test");
    for (const char* name : {"rle.tga", "grey.tga", "palette.tga"}) {
        Load load(dir.file(name));
        EXPECT_FALSE(load.ok);
        EXPECT_EQ(load.output, kTypeMessage) << name;
    }
}

TEST(TgaOutsideFiles, RealWorldFilesLoadOrAreRefusedCleanly) {
    const char* env = std::getenv("GLOWMOTION_TGA_REAL_DIR");
    const std::filesystem::path folder = env ? env : std::string(GLOWMOTION_SOURCE_DIR) + "/../shared/tga-real";
    if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no real-world TGA files at " << folder;

    TempDir dir("tga-real");
    std::string loaded, args;
    int refused = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".tga") continue;
        const std::string path = entry.path().string(), name = entry.path().filename().string();
        Load load(path);
        if (load.ok) {
            EXPECT_EQ(load.output, "") << name;
            loaded += name + " ";
            args += " \"" + path + "\" \"" + dir.file(name + ".rgba") + "\"";
            continue;
        }
        ++refused;
        EXPECT_TRUE(load.empty()) << name;
        EXPECT_TRUE(load.output == kTypeMessage || load.output == kDepth16Message ||
                    load.output == truncatedMessage(path))
            << name << ": " << load.output;
        // A few with a known reason: 16-bit true colour, RLE named "raw", an ID past the end.
        const std::string expected = name == "imagers_utc16.tga"              ? kDepth16Message
                                     : name == "pillow_200x32_rgb_tl_raw.tga"   ? kTypeMessage
                                     : name == "imagers_regr_bad-color-map.tga" ? truncatedMessage(path)
                                                                                : load.output;
        EXPECT_EQ(load.output, expected) << name;
    }
    for (const char* name : {"imagers_utc24.tga", "imagers_utc32.tga", "pillow_200x32_rgba_bl_raw.tga",
                             "pillow_200x32_rgba_tl_raw.tga", "pillow_200x32_rgb_bl_raw.tga",
                             "pillow_tga_id_field.tga"})
        EXPECT_NE(loaded.find(std::string(name) + " "), std::string::npos) << name << " should load";
    EXPECT_GT(refused, 40);

    // Every loaded file equals Pillow's RGBA decode (alpha only for 32 bits).
    runPython(dir, R"(
import sys
from PIL import Image
for tga, out in zip(sys.argv[1::2], sys.argv[2::2]):
    open(out, "wb").write(Image.open(tga).convert("RGBA").tobytes())
)", args);
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::vector<uint8_t> rgba = readFile(dir.file(entry.path().filename().string() + ".rgba"));
        if (rgba.empty()) continue;
        Load load(entry.path().string());
        const bool alpha = load.image->pixelDepth == 32;
        expectPicture(load, load.image->width, load.image->height, alpha, [&](int x, int y) {
            const uint8_t* c = &rgba[(size_t(y) * load.image->width + x) * 4];
            return Rgba{c[0], c[1], c[2], c[3]};
        });
    }
}

}  // namespace
