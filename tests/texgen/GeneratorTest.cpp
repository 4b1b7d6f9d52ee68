// The generator against pictures: every operation's example in
// docs/texture-programs/ and the golden pictures byte for byte (with the
// decoder's bounds on every example), then the edge cases no picture shows,
// each as a program that must leave the same layer 0 as a simpler one, and
// the interpreter's reset, steps and refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "common/Files.h"
#include "common/Png.h"
#include "texgen/Operations.h"
#include "texgen/ProgramText.h"
#include "texgen/TextureGenerator.h"

namespace {

const std::string kSource = GLOWMOTION_SOURCE_DIR;
const std::string kNoise = "Noise 0 rgb size=16x8 ramp=0:#000000,100:#20ff40,255:#ffffff seed=3\n";

std::unique_ptr<TextureGenerator> runText(const std::string& text) {
    const TextProgram program = assembleTextureProgram(text);
    EXPECT_TRUE(program.ok) << program.describe() << "\n" << text;
    auto generator = std::make_unique<TextureGenerator>();
    EXPECT_TRUE(generator->setProgram(program.bytes.data(), program.bytes.size()));
    generator->run();
    return generator;
}

// Layer 0 as `glowmotion-texgen run` writes it: 8-bit RGB at the layer's
// size, which readPng gives back opaque.
void expectPicture(const TextureGenerator& generator, const std::string& png) {
    RgbaPicture picture;
    ASSERT_TRUE(readPng(png, picture)) << png;
    ASSERT_EQ(generator.layers[0].width, picture.width);
    ASSERT_EQ(generator.layers[0].height, picture.height);
    std::vector<uint8_t> made;
    for (size_t i = 0; i < picture.rgba.size() / 4; ++i) {
        const uint32_t p = generator.images[0][i];
        made.insert(made.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), uint8_t(255 - (p >> 24))});
    }
    const auto differ = std::mismatch(made.begin(), made.end(), picture.rgba.begin());
    EXPECT_TRUE(differ.first == made.end()) << "first difference at pixel " << (differ.first - made.begin()) / 4;
}

// 8x8, ones white on black: 16 hex digits, row 0 first, bit 7 leftmost.
std::string bits(const std::string& hex) {
    return "Bitmap 0 rgb size=8x8 ones=#ffffff zeros=#000000 bits=" + hex + "\n";
}
std::string board(const std::string& size, const std::string& cells, const std::string& a, const std::string& b,
                  int layer = 0, const std::string& mask = "rgb") {
    return "Checker " + std::to_string(layer) + " " + mask + " size=" + size + " cells=" + cells + " colour1=#" + a +
           " colour2=#" + b + "\n";
}
std::string flat(const std::string& size, const std::string& colour, int layer = 0, const std::string& mask = "rgb") {
    return board(size, "1x1", colour, colour, layer, mask);
}

}  // namespace

TEST(TexgenGolden, EveryOperationMatchesItsExampleAndTheGoldenPictures) {
    for (int op = 0; op < kTextureOpCount; ++op) {
        const std::string name = textureOpName(static_cast<uint8_t>(op));
        SCOPED_TRACE(name);
        const std::string text = testfiles::readText(kSource + "/docs/texture-programs/" + name + ".txt");
        EXPECT_NE(std::string::npos, text.find("\n" + name + " ")) << "the example does not use its operation";
        const auto generator = runText(text);
        // The text form reads back, and an instruction cut short anywhere runs past
        // the end, whatever lies beyond the cut.
        const std::vector<uint8_t> bytes = assembleTextureProgram(text).bytes;
        std::string again;
        ASSERT_TRUE(disassembleTextureProgram(bytes.data(), bytes.size(), &again));
        EXPECT_EQ(bytes, assembleTextureProgram(again).bytes);
        for (uint32_t at = 4, length; at < bytes.size(); at += length) {
            texgen::Instruction ins;
            ASSERT_TRUE(texgen::decodeInstruction(bytes.data(), at, uint32_t(bytes.size()), &ins, nullptr));
            length = ins.length;
            for (uint32_t cut = at; cut < at + length; ++cut) {
                std::vector<uint8_t> part(bytes.begin(), bytes.begin() + cut);
                part.resize(part.size() + 1024, 0xFF);
                texgen::FaultInfo fault;
                EXPECT_FALSE(texgen::decodeInstruction(part.data(), at, cut, nullptr, &fault));
                EXPECT_EQ(texgen::Fault::PastEnd, fault.fault) << "cut at " << cut;
            }
        }
        const ProgramCheck& check = generator->programCheck();
        EXPECT_TRUE(check.warnings.empty()) << check.warnings.front().text;
        for (int k = 0; k < TextureGenerator::kLayerCount; ++k) {
            EXPECT_EQ(check.finalWidth[k], generator->layers[k].width) << "layer " << k;
            EXPECT_EQ(check.finalHeight[k], generator->layers[k].height) << "layer " << k;
        }
        expectPicture(*generator, kSource + "/docs/texture-programs/" + name + ".png");
    }
    auto stored = std::make_unique<TextureGenerator>();
    ASSERT_TRUE(stored->setProgram(storedTextureProgram()));  // the length word tells the size
    stored->run();
    expectPicture(*stored, kSource + "/tests/texgen/golden/stored-program.png");
    // A grid taller than wide, repeated across and down: what no example shows.
    const std::string golden = kSource + "/tests/texgen/golden/tiled-plasma";
    expectPicture(*runText(testfiles::readText(golden + ".txt")), golden + ".png");
}

// Each program must leave layer 0 (size and stored image) as the second does.
TEST(TexgenEdgeCases, ProgramsThatMustAgree) {
    const std::string one = bits("8000000000000000"), noise = kNoise;
    std::vector<std::pair<std::string, std::string>> cases = {
        // Scroll up and left, down and right (9 on an 8-wide layer wraps to 1).
        {bits("0040000000000000") + "Scroll 0 rgb shift=0x0001\nScroll 0 rgb shift=0x8001", one},
        {one + "Scroll 0 rgb shift=0x4001\nScroll 0 rgb shift=0xC009", bits("0040000000000000")},
        // Mirror and Rotate90 in every mode and count.
        {one + "Mirror 0 rgb mode=0x01\nMirror 0 rgb mode=0", bits("0000000000000080")},
        {bits("4000000000000000") + "Rotate90 0 rgb quarters=1", bits("0000000000008000")},
        {noise + "Rotate90 0 rgb quarters=2", noise + "Mirror 0 rgb mode=0x11"},
        {noise + "Rotate90 0 rgb quarters=256\nRotate90 0 rgb quarters=4", noise},
        // Operands at their neutral values and their ends; below its first stop a ramp gives that stop's colour.
        {bits("0040000000000000") + "Pixelate 0 rgb exponent=1", bits("c0c0000000000000")},
        {noise +
             "Pixelate 0 rgb exponent=0\nBlur 0 rgb passes=0\nSharpen 0 rgb passes=0\nJitter 0 rgb seed=4 amount=0\n"
             "Brightness 0 rgb level=128\nContrast 0 rgb level=128\nPosterize 0 rgb bits=0\nInvert 0 rgb\n"
             "Invert 0 rgb\nDirectionalBlur 0 rgb source=0 length=1\nCopy 0 rgb source=0\n"
             "DisplaceAdd 0 rgb source=3 strength=9",  // layer 3 is empty: nothing to add
         noise},
        {noise + "Posterize 0 rgb bits=8", flat("16x8", "000000")},
        {flat("512x512", "123456") + "Invert 0 rgb", flat("512x512", "edcba9")},  // the largest layer
        {noise + "Subtract 0 rgb source=0", flat("16x8", "000000")},
        {board("8x8", "1x1", "ff8040", "102030") + "Brightness 0 rgb level=0", board("8x8", "1x1", "7f0000", "000000")},
        {board("8x8", "1x1", "00ff80", "80ff00") + "Contrast 0 rgb level=0", board("8x8", "1x1", "56aa80", "80aa56")},
        {"Noise 0 rgb size=4x4 ramp=255:#102030,255:#405060,255:#708090 seed=1", flat("4x4", "102030")},
        // Windows wider than the layer, and one-pixel-wide layers.
        {board("4x1", "2x1", "900000", "000000") + "BlurHorizontal 0 rgb length=9",
         board("4x1", "2x1", "500000", "400000")},
        {board("1x4", "1x2", "800000", "000000") + "Blur 0 rgb passes=1", board("1x4", "1x2", "600000", "200000")},
        // Channel masks: only the chosen channels change; with none the layer still takes the new size.
        {flat("8x8", "102030") + flat("8x8", "aabbcc", 0, "r"), flat("8x8", "aa2030")},
        {flat("4x4", "111111") + flat("2x2", "999999", 0, "-") + "Invert 0 rgb",
         flat("4x4", "111111") + flat("2x2", "eeeeee")},
        // A smaller source changes the pixels it pairs with by index; past a 1x1 source
        // DirectionalBlur reads black, not what the layer held before.
        {flat("8x8", "646464") + flat("4x4", "0a0a0a", 1) + "Add 0 rgb source=1",
         flat("8x8", "646464") + flat("8x2", "6e6e6e") + flat("8x8", "000000", 0, "-")},
        {noise + flat("8x8", "7f7f7f", 1) + flat("1x1", "000000", 1) + "DirectionalBlur 0 rgb source=1 length=3",
         noise + flat("16x8", "000000", 1) + "DirectionalBlur 0 rgb source=1 length=3"},
        {noise + "Scatter 0 rgb source=0 size=4x4 seed=1 count=0", noise + flat("4x4", "000000")},
        {flat("8x8", "640100", 1) + "Scatter 0 rgb source=1 size=8x8 seed=2 count=3", flat("8x8", "ff0300")},
        // The strongest edges stay black: beside a white pixel on 0x7f7f7f (flat there: 0xa8a8a8).
        {"Bitmap 0 rgb size=8x8 ones=#ffffff zeros=#7f7f7f bits=0000001000000000\nEdgeShade 0 rgb",
         "Bitmap 0 rgb size=8x8 ones=#ffffff zeros=#a8a8a8 bits=0000001000000000\n"
         "Bitmap 1 rgb size=8x8 ones=#000000 zeros=#ffffff bits=0000102810000000\nMultiply 0 rgb source=1"},
    };
    // Emboss: mirrored directions mirror the relief.
    for (const auto& [mode, direction, same] :
         {std::tuple{"0x10", 2, 0}, {"0x01", 6, 1}, {"0x10", 4, 3}, {"0x10", 7, 5}, {"0x11", 7, 0}}) {
        const std::string mirror = "Mirror 0 rgb mode=" + std::string(mode) + "\n";
        cases.push_back({noise + mirror + "Emboss 0 rgb direction=" + std::to_string(direction) + "\n" + mirror,
                         noise + "Emboss 0 rgb direction=" + std::to_string(same)});
    }
    for (const auto& [program, same] : cases) {
        SCOPED_TRACE(program);
        const auto made = runText(program), expected = runText(same);
        for (size_t i = 0; i < TextureGenerator::kImagePixels; ++i) ASSERT_EQ(0u, made->images[0][i] >> 24) << i;
        EXPECT_EQ(expected->layers[0].width, made->layers[0].width);
        EXPECT_EQ(expected->layers[0].height, made->layers[0].height);
        EXPECT_TRUE(std::equal(made->images[0], made->images[0] + TextureGenerator::kImagePixels, expected->images[0]));
    }
}

// What the interpreter promises around the operations: reset clears what an
// owner wrote, steps stop at the end, a refused program changes nothing.
TEST(TexgenInterpreter, ResetStepsAndRefusal) {
    auto generator = std::make_unique<TextureGenerator>();
    generator->images[0][TextureGenerator::kImagePixels - 1] = 9;  // the owner may write the picture
    const TextProgram two = assembleTextureProgram(flat("4x4", "ffffff", 3) + "Invert 3 rgb");
    ASSERT_TRUE(generator->setProgram(two.bytes.data()));
    generator->reset();
    EXPECT_EQ(0u, generator->images[0][TextureGenerator::kImagePixels - 1]);
    EXPECT_TRUE(generator->step());
    EXPECT_FALSE(generator->step());
    EXPECT_FALSE(generator->step());
    EXPECT_EQ(16u, generator->cursor());
    const std::vector<uint8_t> refused = {5, 0, 0, 0, 0x14, 0xE0, 0x12, 0xE0, 0x09};  // Invert, then Emboss 9
    EXPECT_FALSE(generator->setProgram(refused.data()));
    generator->run();
    EXPECT_FALSE(generator->step());
    EXPECT_EQ(4, generator->layers[3].width);
    // A Pixelate block larger than the layer, which no accepted program holds, leaves it.
    const auto noise = runText(kNoise);
    const std::vector<uint32_t> before(noise->layers[0].pixels, noise->layers[0].pixels + 128);
    texgen::Operands in;
    in.byte[0] = 4;
    texgen::pixelate(noise->layers[0], noise->layers[0], in);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), noise->layers[0].pixels));
}
