// The files the art tool writes into data/: one per catalogue entry, in the
// format, size and byte layout their scenes need.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "Art.h"
#include "ArtFileReader.h"

namespace art {
void PrintTo(const ArtFile& f, std::ostream* os) { *os << f.name; }
}  // namespace art

namespace {

std::string dataPath(const char* name) { return std::string(GLOWMOTION_DATA_DIR) + "/" + name; }

// What the screen shows of pixel (x, y) of the memory image after the
// scene's exchange: {red, green, blue}.
struct Seen {
    int r, g, b, a;
};
Seen seen(const art::ArtFile& f, const ArtFileData& d, int x, int y) {
    const uint8_t* p = d.pixel(x, y);
    const size_t index = static_cast<size_t>(y) * d.width + x;
    bool swap = f.exchange == RedBlueExchange::WholeBuffer || (f.exchange == RedBlueExchange::BySize && index < 65536);
    return swap ? Seen{p[2], p[1], p[0], p[3]} : Seen{p[0], p[1], p[2], p[3]};
}

TEST(ArtCatalogue, ListsTheThirtyTwoFilesTheScenesRead) {
    const std::set<std::string> expected = {
        "vinyl.tga",      "technics.tga", "bck1.tga",      "plato.tga",      "brazo.tga",      "quellix.tga",
        "presents.tga",   "glowmotion2.tga", "nilo.tga",   "sabueso.tga",    "kiro.tga",       "iface.tga",
        "big_circle.tga", "logo.tga",     "star.tga",      "tia.tga",        "flower.tga",     "floor.tga",
        "bola.tga",       "baile1.tga",   "baile2.tga",    "lightball.tga",  "light.tga",      "frog.tga",
        "bcn.tga",        "party.tga",    "10.tga",        "bcn_blur.tga",   "party_blur.tga", "10_blur.tga",
        "bck_end.tga",    "font.fnt"};
    std::set<std::string> names;
    for (const art::ArtFile& f : art::artCatalogue()) names.insert(f.name);
    EXPECT_EQ(art::artCatalogue().size(), 32u);
    EXPECT_EQ(names, expected);
}

TEST(ArtCatalogue, StripsHaveTheFrameCountsTheScenesStepThrough) {
    EXPECT_EQ(art::findArt("floor.tga")->frames, 4);
    EXPECT_EQ(art::findArt("bola.tga")->frames, 3);
    EXPECT_EQ(art::findArt("baile1.tga")->frames, 14);
    EXPECT_EQ(art::findArt("baile2.tga")->frames, 10);
    EXPECT_EQ(art::findArt("frog.tga")->frames, 4);
    int strips = 0;
    for (const art::ArtFile& f : art::artCatalogue()) strips += f.frames > 1;
    EXPECT_EQ(strips, 5);
}

TEST(ArtCatalogue, ExchangesAreTheOnesTheScenesName) {
    for (const char* none : {"technics.tga", "baile1.tga", "baile2.tga", "lightball.tga"})
        EXPECT_EQ(art::findArt(none)->exchange, RedBlueExchange::None) << none;
    // The smallest exchange a file meets anywhere: vinyl and star also go
    // through BySize in the star tunnel and the credits.
    for (const char* bySize : {"vinyl.tga", "star.tga", "nilo.tga", "sabueso.tga", "kiro.tga", "iface.tga",
                               "big_circle.tga", "logo.tga", "font.fnt"})
        EXPECT_EQ(art::findArt(bySize)->exchange, RedBlueExchange::BySize) << bySize;
    int none = 0;
    for (const art::ArtFile& f : art::artCatalogue()) none += f.exchange == RedBlueExchange::None;
    EXPECT_EQ(none, 4);
}

class ArtFileTest : public ::testing::TestWithParam<art::ArtFile> {};
class BlendedArtFileTest : public ArtFileTest {};
class OpaqueArtFileTest : public ArtFileTest {};
class StripArtFileTest : public ArtFileTest {};

// The catalogue entries that `keep` accepts: each kind of file is checked
// only by the tests that apply to it.
template <typename Keep>
std::vector<art::ArtFile> entriesWhere(Keep keep) {
    std::vector<art::ArtFile> kept;
    for (const art::ArtFile& f : art::artCatalogue())
        if (keep(f)) kept.push_back(f);
    return kept;
}

TEST_P(ArtFileTest, HeaderMatchesTheCatalogue) {
    const art::ArtFile& f = GetParam();
    const ArtFileData d = readArtFile(dataPath(f.name));
    ASSERT_TRUE(d.ok) << f.name << " missing or not an uncompressed true-colour TGA of the right length";
    EXPECT_EQ(d.imageType, 2);
    EXPECT_EQ(d.width, f.width);
    EXPECT_EQ(d.height, f.height);
    EXPECT_EQ(d.depth, f.depth);
    EXPECT_EQ(d.descriptor & 0x0F, f.depth == 32 ? 8 : 0) << "alpha bits";
    EXPECT_EQ(d.descriptor & 0x10, 0) << "rows run left to right";
    EXPECT_EQ((d.descriptor & 0x20) != 0, f.orientation == art::Orientation::TopAtT0);
}

TEST_P(ArtFileTest, FitsTheTextureAndItsExchange) {
    const art::ArtFile& f = GetParam();
    const long pixels = static_cast<long>(f.width) * f.height;
    EXPECT_LE(pixels, 262144) << "more than a Texture holds";
    if (f.exchange == RedBlueExchange::BySize) {
        EXPECT_LE(pixels, 65536) << "BySize would leave pixels beyond the first 65,536 unexchanged";
    }
    EXPECT_EQ(f.width % f.frames, 0) << "frames of equal width";
}

TEST_P(BlendedArtFileTest, HasRealAlphaAndAClearRim) {
    const art::ArtFile& f = GetParam();
    const ArtFileData d = readArtFile(dataPath(f.name));
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(d.depth, 32);
    long clear = 0, solid = 0;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            clear += d.pixel(x, y)[3] == 0;
            solid += d.pixel(x, y)[3] >= 200;
        }
    EXPECT_GT(clear, d.width * d.height / 20) << "hardly anything transparent around the shape";
    EXPECT_GT(solid, 500) << "no shape that shows";
    // Every frame's outermost pixels are transparent: repeat wrapping and
    // linear filtering must not pull in the opposite edge or the next frame.
    const int fw = d.width / f.frames;
    for (int k = 0; k < f.frames; ++k)
        for (int y = 0; y < d.height; ++y)
            for (int x = k * fw; x < (k + 1) * fw; ++x) {
                const bool rim = y == 0 || y == d.height - 1 || x == k * fw || x == (k + 1) * fw - 1;
                if (rim && f.orientation == art::Orientation::TopAtT0) {
                    ASSERT_EQ(d.pixel(x, y)[3], 0) << f.name << " frame " << k << " at " << x << "," << y;
                }
            }
}

TEST_P(OpaqueArtFileTest, CoversEveryPixel) {
    const art::ArtFile& f = GetParam();
    cairo_surface_t* s = art::renderArt(f);
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    long holes = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) holes += data[y * stride + x * 4 + 3] != 255;  // ARGB32, little-endian
    cairo_surface_destroy(s);
    EXPECT_EQ(holes, 0) << f.name << " is drawn without blending and must not rely on alpha";
    if (f.depth == 32) {
        const ArtFileData d = readArtFile(dataPath(f.name));
        ASSERT_TRUE(d.ok);
        for (int y = 0; y < d.height; ++y)
            for (int x = 0; x < d.width; ++x) ASSERT_EQ(d.pixel(x, y)[3], 255);
    }
}

TEST_P(ArtFileTest, FileIsTheDeterministicDrawing) {
    const art::ArtFile& f = GetParam();
    const ArtFileData d = readArtFile(dataPath(f.name));
    ASSERT_TRUE(d.ok);
    cairo_surface_t* a = art::renderArt(f);
    cairo_surface_t* b = art::renderArt(f);
    const std::vector<uint8_t> first = art::encodeTga(f, a), second = art::encodeTga(f, b);
    cairo_surface_destroy(a);
    cairo_surface_destroy(b);
    EXPECT_TRUE(first == second) << "two drawings differ";
    EXPECT_TRUE(first == d.bytes) << "data/" << f.name << " is not what the tool draws now";
}

TEST_P(ArtFileTest, ScreenShowsTheDrawingUprightInItsColours) {
    const art::ArtFile& f = GetParam();
    const ArtFileData d = readArtFile(dataPath(f.name));
    ASSERT_TRUE(d.ok);
    cairo_surface_t* s = art::renderArt(f);
    const std::vector<uint8_t> want = art::intendedPixels(f, s);
    cairo_surface_destroy(s);
    // Memory row 0 is texture row t = 0: the top of a quad, or the bottom
    // edge for the sheet and the rim.
    long wrong = 0;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            const int row = f.orientation == art::Orientation::TopAtT0 ? y : f.height - 1 - y;
            const Seen p = seen(f, d, x, row);
            const uint8_t* w = &want[(static_cast<size_t>(y) * f.width + x) * 4];
            if (w[3] == 0) continue;  // colour of a transparent pixel is never seen
            wrong += p.r != w[0] || p.g != w[1] || p.b != w[2] || (f.depth == 32 && p.a != w[3]);
        }
    EXPECT_EQ(wrong, 0) << f.name;
}

TEST_P(StripArtFileTest, FramesAreDistinctAndEachHasAPicture) {
    const art::ArtFile& f = GetParam();
    const ArtFileData d = readArtFile(dataPath(f.name));
    ASSERT_TRUE(d.ok);
    const int fw = d.width / f.frames;
    auto frameBytes = [&](int k) {
        std::vector<uint8_t> v;
        for (int y = 0; y < d.height; ++y)
            v.insert(v.end(), d.pixel(k * fw, y), d.pixel(k * fw, y) + fw * 4);
        return v;
    };
    std::set<std::vector<uint8_t>> distinct;
    for (int k = 0; k < f.frames; ++k) {
        const std::vector<uint8_t> v = frameBytes(k);
        long ink = 0;
        for (size_t i = 3; i < v.size(); i += 4) ink += v[i] > 128;
        EXPECT_GT(ink, fw * d.height / 20) << "frame " << k << " is nearly empty";
        distinct.insert(v);
    }
    EXPECT_EQ(distinct.size(), static_cast<size_t>(f.frames)) << "some frames repeat";
}

// A figure must stand whole inside its frame: each frame is clipped 2 pixels
// inside its edges, so visible ink that reaches the clip is a figure cut by
// its frame (a hand missing, a shoe sliced). The ball's quad shows 0.33 of s,
// a little less than its third of the strip: its ink must end before that;
// its wire is meant to run out at the top.
TEST(ArtStrips, DancersAndBallStandWholeInsideWhatTheirQuadsShow) {
    for (const char* name : {"baile1.tga", "baile2.tga", "bola.tga"}) {
        const art::ArtFile& f = *art::findArt(name);
        const ArtFileData d = readArtFile(dataPath(name));
        ASSERT_TRUE(d.ok) << name;
        const int fw = d.width / f.frames;
        const int shown = std::string(name) == "bola.tga" ? static_cast<int>(0.33 * d.width) : fw;
        for (int k = 0; k < f.frames; ++k) {
            int left = d.width, right = -1, top = d.height, bottom = -1;
            for (int y = 0; y < d.height; ++y)
                for (int x = k * fw; x < (k + 1) * fw; ++x)
                    if (d.pixel(x, y)[3] > 16) {
                        left = std::min(left, x - k * fw);
                        right = std::max(right, x - k * fw);
                        top = std::min(top, y);
                        bottom = std::max(bottom, y);
                    }
            ASSERT_GE(right, 0) << name << " frame " << k << " is empty";
            EXPECT_GE(left, 3) << name << " frame " << k << " cut on the left";
            EXPECT_LE(right, shown - 4) << name << " frame " << k << " cut on the right";
            if (std::string(name) != "bola.tga") {
                EXPECT_GE(top, 3) << name << " frame " << k << " cut at the top";
            }
            EXPECT_LE(bottom, d.height - 4) << name << " frame " << k << " cut at the bottom";
        }
    }
}

std::string entryName(const ::testing::TestParamInfo<art::ArtFile>& info) {
    std::string n = info.param.name;
    std::replace_if(n.begin(), n.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return n;
}

INSTANTIATE_TEST_SUITE_P(Data, ArtFileTest, ::testing::ValuesIn(art::artCatalogue()), entryName);
INSTANTIATE_TEST_SUITE_P(Data, BlendedArtFileTest,
                         ::testing::ValuesIn(entriesWhere([](const art::ArtFile& f) { return f.blended; })), entryName);
INSTANTIATE_TEST_SUITE_P(Data, OpaqueArtFileTest,
                         ::testing::ValuesIn(entriesWhere([](const art::ArtFile& f) { return !f.blended; })), entryName);
INSTANTIATE_TEST_SUITE_P(Data, StripArtFileTest,
                         ::testing::ValuesIn(entriesWhere([](const art::ArtFile& f) { return f.frames > 1; })), entryName);

// Colours as the viewer sees them, checked on pictures whose scenes upload
// them without an exchange and on one that gets one.
struct Tally {
    long warm = 0, cold = 0;
};
Tally tally(const char* name) {
    const art::ArtFile& f = *art::findArt(name);
    const ArtFileData d = readArtFile(dataPath(name));
    Tally t;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) {
            const Seen p = seen(f, d, x, y);
            if (f.depth == 32 && p.a < 128) continue;
            t.warm += p.r > p.b + 60;
            t.cold += p.b > p.r + 60;
        }
    return t;
}

TEST(ArtColours, DancersShowWarmDiscoColoursAlthoughUploadedUnexchanged) {
    for (const char* name : {"baile1.tga", "baile2.tga"}) {
        const Tally t = tally(name);
        EXPECT_GT(t.warm, 4 * t.cold) << name;
    }
}

TEST(ArtColours, GlowBehindTheBallIsWarmAndAtMostHalfBright) {
    const art::ArtFile& f = *art::findArt("lightball.tga");
    const ArtFileData d = readArtFile(dataPath(f.name));
    ASSERT_TRUE(d.ok);
    // Added as c * (1 - c): above 0.5 a channel would give less light, not more.
    int brightest = 0;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            for (int c = 0; c < 3; ++c) brightest = std::max<int>(brightest, d.pixel(x, y)[c]);
    EXPECT_LE(brightest, 130);
    const Seen centre = seen(f, d, d.width / 2, d.height / 2);
    EXPECT_GE(centre.r, centre.b) << "glow centre is pink-white, not blue";
    EXPECT_GT(centre.r, 100);
}

TEST(ArtColours, RimIsNeutralMetalWithAGoldLineAndStarIsGold) {
    const Tally rim = tally("technics.tga");
    EXPECT_GT(rim.warm, 2048) << "the gold line shows gold";
    EXPECT_EQ(rim.cold, 0) << "nothing on the rim shows blue";
    const art::ArtFile& star = *art::findArt("star.tga");
    const ArtFileData d = readArtFile(dataPath(star.name));
    ASSERT_TRUE(d.ok);
    const Seen mid = seen(star, d, d.width / 2 + 10, d.height / 2 + 10);
    EXPECT_GT(mid.r, mid.b + 80) << "gold, not blue";
    EXPECT_GT(mid.g, mid.b);
}

TEST(ArtColours, RimGoldLineIsOnTheUpperHalfOfTheBandAsSeen) {
    // The rim's texture row t = 0 lies on the cylinder's lower edge, so the
    // file declares its first row to be the bottom: the gold line drawn in the
    // upper half of the band must sit in the upper half of texture rows
    // counted from t = 1 downwards, i.e. in memory rows above the middle
    // counted from the end.
    const art::ArtFile& f = *art::findArt("technics.tga");
    const ArtFileData d = readArtFile(dataPath(f.name));
    ASSERT_TRUE(d.ok);
    int goldRow = -1;
    for (int y = 0; y < d.height; ++y) {
        const Seen p = seen(f, d, 3, y);
        if (p.r > p.b + 60) goldRow = y;
    }
    ASSERT_GE(goldRow, 0) << "no gold line";
    // Drawn 0.044 of 0.1 from the top: memory row (from t = 0 at the bottom) > middle.
    EXPECT_GT(goldRow, d.height / 2);
}

TEST(ArtColours, EndBackgroundEdgesAreTheClearColourBesideThem) {
    // The end background's quad stops about two pixels short of each side of
    // the view, where the dance floor's clear colour (1.0, 0.8, 0.0) shows:
    // the picture's outer columns are that colour, so no seam appears.
    const art::ArtFile& f = *art::findArt("bck_end.tga");
    const ArtFileData d = readArtFile(dataPath(f.name));
    ASSERT_TRUE(d.ok);
    for (int x : {0, 1, d.width - 2, d.width - 1}) {
        for (int y = 0; y < d.height; ++y) {
            const Seen p = seen(f, d, x, y);
            ASSERT_TRUE(p.r == 255 && p.g == 204 && p.b == 0)
                << "column " << x << " row " << y << ": " << p.r << ", " << p.g << ", " << p.b;
        }
    }
}

}  // namespace
