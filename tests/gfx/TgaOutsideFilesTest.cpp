// The TGA reader on files it did not write itself: files saved by Pillow (an
// independent TGA writer) and real-world test-suite files, checked against
// Pillow's own decode of the same files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "TgaFiles.h"
#include "gfx/Tga.h"

using namespace tgatest;

namespace {

const char* const kTypeMessage = "No se soporta otro tipo que no sea TRUE COLOR descomprimido\n";

struct Load {
    explicit Load(const std::string& path) : image(new TgaImage) {
        tgaInit(image.get());
        testing::internal::CaptureStdout();
        ok = tgaLoad(path.c_str(), image.get());
        output = testing::internal::GetCapturedStdout();
    }
    ~Load() { tgaFree(image.get()); }
    std::unique_ptr<TgaImage> image;
    bool ok = false;
    std::string output;
};

int runPython(const std::string& script, const std::string& args) {
    const std::string command = std::string("\"") + GLOWMOTION_PYTHON3 + "\" \"" + script + "\" " + args;
    return std::system(command.c_str());
}

// Pillow's decode of `tga` written as raw RGBA, top row first, to `out`.
const char* const kDecodeScript = R"(
import sys
from PIL import Image
for tga, out in zip(sys.argv[1::2], sys.argv[2::2]):
    im = Image.open(tga).convert("RGBA")
    open(out, "wb").write(im.tobytes())
)";

// Checks the loaded picture against Pillow's RGBA decode (alpha only for 32 bits).
void expectSameAsPillow(const Load& load, const std::vector<uint8_t>& rgba) {
    ASSERT_TRUE(load.ok) << load.output;
    const TgaPixels& p = load.image->pixels;
    ASSERT_EQ(rgba.size(), size_t(p.width) * p.height * 4);
    for (size_t i = 0; i < size_t(p.width) * p.height; ++i) {
        const uint32_t w = p.data[i];
        const uint8_t* c = &rgba[i * 4];
        const uint32_t alpha = load.image->pixelDepth == 32 ? c[3] : 0;
        ASSERT_EQ(w, c[2] | (uint32_t(c[1]) << 8) | (uint32_t(c[0]) << 16) | (alpha << 24))
            << "pixel " << i % p.width << "," << i / p.width;
    }
}

TEST(TgaOutsideWriter, PillowFilesDecodeToThePicturePillowWrote) {
    TempDir dir("tga-pillow");
    const std::string script = dir.file("write.py");
    const char* writer = R"(
import sys, os
from PIL import Image
d = sys.argv[1]
w, h = 37, 23
im = Image.new("RGBA", (w, h))
im.putdata([((x * 7 + y) & 255, (y * 5 + 1) & 255, (x ^ (y * 3)) & 255, (x + y * 2 + 1) & 255)
            for y in range(h) for x in range(w)])
im.save(os.path.join(d, "rgba_bl.tga"))
im.save(os.path.join(d, "rgba_tl.tga"), orientation=1)
im.save(os.path.join(d, "rgba_id.tga"), id_section=b"Glowmotion test")
im.convert("RGB").save(os.path.join(d, "rgb_bl.tga"))
im.convert("RGB").save(os.path.join(d, "rgb_tl.tga"), orientation=1)
im.save(os.path.join(d, "rgba_rle.tga"), compression="tga_rle")
im.convert("LA").save(os.path.join(d, "grey.tga"))
im.convert("P").save(os.path.join(d, "palette.tga"))
Image.new("RGB", (513, 512)).save(os.path.join(d, "too_big.tga"))
)";
    writeFile(script, std::vector<uint8_t>(writer, writer + std::strlen(writer)));
    ASSERT_EQ(runPython(script, "\"" + dir.path().string() + "\""), 0)
        << "Pillow (Debian's python3-pil) is part of the test set-up; interpreter " << GLOWMOTION_PYTHON3;

    auto expectPattern = [](const Load& load, bool alpha) {
        ASSERT_TRUE(load.ok) << load.output;
        EXPECT_EQ(load.output, "");
        ASSERT_EQ(load.image->pixels.width, 37);
        ASSERT_EQ(load.image->pixels.height, 23);
        for (int y = 0; y < 23; ++y) {
            for (int x = 0; x < 37; ++x) {
                Rgba c = patternColour(x, y);
                if (!alpha) c.a = 0;
                ASSERT_EQ(load.image->pixels.data[y * 37 + x], readerWord(c)) << x << "," << y;
            }
        }
    };
    {
        Load load(dir.file("rgba_bl.tga"));
        EXPECT_EQ(load.image->descriptor & 0x30, 0x00);
        expectPattern(load, true);
    }
    {
        Load load(dir.file("rgba_tl.tga"));
        EXPECT_EQ(load.image->descriptor & 0x30, 0x20);
        expectPattern(load, true);
    }
    {
        Load load(dir.file("rgba_id.tga"));
        expectPattern(load, true);
        ASSERT_EQ(load.image->idLength, 15);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(load.image->imageId), 15), "Glowmotion test");
    }
    {
        Load load(dir.file("rgb_bl.tga"));
        EXPECT_EQ(load.image->pixelDepth, 24);
        expectPattern(load, false);
    }
    {
        Load load(dir.file("rgb_tl.tga"));
        expectPattern(load, false);
    }
    for (const char* refused : {"rgba_rle.tga", "grey.tga", "palette.tga"}) {
        Load load(dir.file(refused));
        EXPECT_FALSE(load.ok) << refused;
        EXPECT_EQ(load.output, kTypeMessage) << refused;
    }
    {
        Load load(dir.file("too_big.tga"));
        EXPECT_FALSE(load.ok);
        EXPECT_NE(load.output.find(" mide 513x512, no cabe en una textura"), std::string::npos) << load.output;
    }
}

std::string realFolder() {
    if (const char* env = std::getenv("GLOWMOTION_TGA_REAL_DIR")) return env;
    return std::string(GLOWMOTION_SOURCE_DIR) + "/../shared/tga-real";
}

enum class Outcome { Loads, WrongType, WrongDepth, Truncated };

// What each real-world file must give, from its header and length.
const std::map<std::string, Outcome>& realOutcomes() {
    static const std::map<std::string, Outcome> outcomes = {
        {"imagers_utc24.tga", Outcome::Loads},
        {"imagers_utc32.tga", Outcome::Loads},
        {"pillow_200x32_rgb_bl_raw.tga", Outcome::Loads},
        {"pillow_200x32_rgba_bl_raw.tga", Outcome::Loads},
        {"pillow_200x32_rgba_tl_raw.tga", Outcome::Loads},
        {"pillow_tga_id_field.tga", Outcome::Loads},
        {"imagers_utc16.tga", Outcome::WrongDepth},
        {"imagers_b5-attrib.tga", Outcome::WrongDepth},
        {"imagers_b5-noattrib.tga", Outcome::WrongDepth},
        {"imagers_b5-unused-cmap.tga", Outcome::WrongDepth},
        {"pillow_rgba16.tga", Outcome::WrongDepth},
        {"imagers_regr_bad-color-map.tga", Outcome::Truncated},          // 255-byte ID, file of 19 bytes
        {"imagers_regr_flip-zero-height.tga", Outcome::Truncated},
        {"imagers_regr_flip-zero-height2.tga", Outcome::Truncated},
        {"imagers_regr_sixteen-bit-gray-colormap.tga", Outcome::Truncated},
        {"pillow_p_8.tga", Outcome::Truncated},                          // header only, 30-byte ID missing
        {"pillow_200x32_rgb_tl_raw.tga", Outcome::WrongType},            // run-length encoded despite its name
        {"imagers_regr_slice-copy-length.tga", Outcome::WrongType},
        {"imagers_bottom_left.tga", Outcome::WrongType},
        {"imagers_ctc24.tga", Outcome::WrongType},
        {"imagers_ucm8.tga", Outcome::WrongType},
        {"imagers_ubw8.tga", Outcome::WrongType},
        {"pillow_200x32_p_tl_raw.tga", Outcome::WrongType},
        {"pillow_200x32_l_bl_raw.tga", Outcome::WrongType},
        {"pillow_rgb32rle_top_right.tga", Outcome::WrongType},
    };
    return outcomes;
}

TEST(TgaRealFiles, EachLoadsOrIsRefusedCleanly) {
    const std::filesystem::path folder = realFolder();
    if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no real-world TGA files at " << folder;

    TempDir dir("tga-real");
    std::vector<std::pair<std::string, std::string>> decodes;  // loaded file -> Pillow's decode
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".tga") continue;
        const std::string name = entry.path().filename().string();
        const std::string path = entry.path().string();
        SCOPED_TRACE(name);
        ++seen;
        Load load(path);
        if (load.ok) {
            EXPECT_EQ(load.output, "");
            EXPECT_EQ(load.image->imageType, 2);
            EXPECT_TRUE(load.image->pixelDepth == 24 || load.image->pixelDepth == 32);
            decodes.emplace_back(path, dir.file(name + ".rgba"));
        } else {
            EXPECT_EQ(load.image->pixels.data, nullptr);
            EXPECT_EQ(load.image->imageId, nullptr);
            const bool known = load.output == kTypeMessage ||
                               load.output.rfind("No se soporta los TGAs de ", 0) == 0 ||
                               load.output == "TGA: El fichero " + path + " termina antes de tiempo\n";
            EXPECT_TRUE(known) << load.output;
        }
        const auto expected = realOutcomes().find(name);
        if (expected == realOutcomes().end()) continue;
        switch (expected->second) {
            case Outcome::Loads: EXPECT_TRUE(load.ok) << load.output; break;
            case Outcome::WrongType: EXPECT_EQ(load.output, kTypeMessage); break;
            case Outcome::WrongDepth:
                EXPECT_EQ(load.output, "No se soporta los TGAs de 16 bpp (S\xF3lo 32 y 24 descomprimido)\n");
                break;
            case Outcome::Truncated:
                EXPECT_EQ(load.output, "TGA: El fichero " + path + " termina antes de tiempo\n");
                break;
        }
    }
    ASSERT_GT(seen, 0);
    ASSERT_GE(decodes.size(), 6u);

    // Compare every loaded file with Pillow's decode of it.
    const std::string script = dir.file("decode.py");
    writeFile(script, std::vector<uint8_t>(kDecodeScript, kDecodeScript + std::strlen(kDecodeScript)));
    std::string args;
    for (const auto& [tga, out] : decodes) args += " \"" + tga + "\" \"" + out + "\"";
    ASSERT_EQ(runPython(script, args), 0);
    for (const auto& [tga, out] : decodes) {
        SCOPED_TRACE(tga);
        Load load(tga);
        expectSameAsPillow(load, readFile(out));
    }
}

}  // namespace
