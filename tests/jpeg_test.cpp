#include "gfx/Jpeg.h"
#include "gfx/JpegEncode.h"
#include "gfx/PictureMemory.h"
#include "qv/Errors.h"
#include "support/JpegCraft.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

using namespace vis;
using vis::test::RawCompress;

namespace {

// A picture of 8 x 8 blocks of flat colour, so a high-quality JPEG gives the colours back almost exactly.
Bitmap Blocks(int w, int h) {
    static const Color kColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080, 0xFFFF00, 0x20A0E0};
    Bitmap bmp(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bmp.SetPixel(x, y, kColours[(x / 8 + 3 * (y / 8)) % 8]);
    return bmp;
}

// Deterministic noise: plenty of entropy-coded data to damage.
Bitmap Noise(int w, int h) {
    Bitmap bmp(w, h);
    std::uint32_t s = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            s = s * 1664525u + 1013904223u;
            bmp.SetPixel(x, y, s >> 8);
        }
    return bmp;
}

int MaxChannelDiff(const Bitmap& a, const Bitmap& b) {
    int worst = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width() * 3; ++x)
            worst = std::max(worst, std::abs(a.Row(y)[x] - b.Row(y)[x]));
    return worst;
}

JpegEncodeOptions Exact() {
    JpegEncodeOptions o;
    o.quality = 100;
    o.fullChroma = true;
    return o;
}

JpegStatus Decode(const std::string& bytes, Bitmap& into) {
    return DecodeJpeg(bytes.data(), bytes.size(), into);
}

// Offset of the start-of-frame marker (FF C0..C2); the height follows at +5, the width at +7.
std::size_t FindSof(const std::string& jpeg) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && (static_cast<unsigned char>(jpeg[i + 1]) & 0xFC) == 0xC0 &&
            static_cast<unsigned char>(jpeg[i + 1]) != 0xC4)
            return i;
    return std::string::npos;
}

std::string WithSize(std::string jpeg, int w, int h) {
    const std::size_t sof = FindSof(jpeg);
    EXPECT_NE(sof, std::string::npos);
    jpeg[sof + 5] = static_cast<char>(h >> 8);
    jpeg[sof + 6] = static_cast<char>(h & 0xFF);
    jpeg[sof + 7] = static_cast<char>(w >> 8);
    jpeg[sof + 8] = static_cast<char>(w & 0xFF);
    return jpeg;
}

// Offset of the first byte of entropy-coded data (after the first SOS segment).
std::size_t ScanDataStart(const std::string& jpeg) {
    for (std::size_t i = 2; i + 3 < jpeg.size(); ++i)
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && static_cast<unsigned char>(jpeg[i + 1]) == 0xDA) {
            const std::size_t len =
                (static_cast<unsigned char>(jpeg[i + 2]) << 8) | static_cast<unsigned char>(jpeg[i + 3]);
            return i + 2 + len;
        }
    return std::string::npos;
}

} // namespace

TEST(JpegDecode, BaselineColourPictureAtFullSize) {
    for (auto [w, h] : {std::pair{1, 1}, std::pair{17, 9}, std::pair{64, 48}, std::pair{3, 40}}) {
        const Bitmap original = Blocks(w, h);
        Bitmap decoded;
        ASSERT_EQ(Decode(EncodeJpeg(original, Exact()), decoded), JpegStatus::Decoded) << w << "x" << h;
        EXPECT_EQ(decoded.Width(), w);
        EXPECT_EQ(decoded.Height(), h);
        EXPECT_LE(MaxChannelDiff(original, decoded), 3) << w << "x" << h;
    }
}

TEST(JpegDecode, ColoursLandInBlueGreenRedOrder) {
    Bitmap red(16, 16);
    red.FillAll(0xFF0000);
    Bitmap decoded;
    ASSERT_EQ(Decode(EncodeJpeg(red, Exact()), decoded), JpegStatus::Decoded);
    const std::uint8_t* p = decoded.Row(8) + 8 * 3;
    EXPECT_LE(p[0], 2);   // blue
    EXPECT_LE(p[1], 2);   // green
    EXPECT_GE(p[2], 253); // red
}

TEST(JpegDecode, DefaultChromaSubsamplingAndLowQualityStillDecodeToSize) {
    Bitmap decoded;
    ASSERT_EQ(Decode(EncodeJpeg(Noise(33, 21), 20), decoded), JpegStatus::Decoded);
    EXPECT_EQ(decoded.Width(), 33);
    EXPECT_EQ(decoded.Height(), 21);
}

TEST(JpegDecode, GreyscaleFileGivesEqualChannels) {
    JpegEncodeOptions o = Exact();
    o.grayscale = true;
    Bitmap decoded;
    ASSERT_EQ(Decode(EncodeJpeg(Blocks(24, 16), o), decoded), JpegStatus::Decoded);
    ASSERT_EQ(decoded.Width(), 24);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            const std::uint8_t* p = decoded.Row(y) + x * 3;
            EXPECT_EQ(p[0], p[1]);
            EXPECT_EQ(p[1], p[2]);
        }
    // Block (0,0) is red: luminance 76.
    EXPECT_NEAR(decoded.Row(2)[6], 76, 2);
}

TEST(JpegDecode, ProgressiveGivesTheSamePixelsAsBaseline) {
    const Bitmap original = Noise(40, 30);
    JpegEncodeOptions o;
    o.quality = 85;
    Bitmap baseline, progressive;
    ASSERT_EQ(Decode(EncodeJpeg(original, o), baseline), JpegStatus::Decoded);
    o.progressive = true;
    ASSERT_EQ(Decode(EncodeJpeg(original, o), progressive), JpegStatus::Decoded);
    EXPECT_TRUE(baseline == progressive);
}

TEST(JpegDecode, AdobeCmykIsConvertedToColour) {
    // Adobe stores the inks inverted: 255 means no ink. Red = magenta + yellow, no cyan, no black.
    const int w = 16, h = 8;
    std::vector<unsigned char> cmyk;
    for (int i = 0; i < w * h; ++i) {
        const bool left = (i % w) < 8;
        if (left)
            cmyk.insert(cmyk.end(), {255, 0, 0, 255}); // red
        else
            cmyk.insert(cmyk.end(), {255, 255, 255, 0}); // full black ink
    }
    const std::string jpeg = RawCompress(w, h, 4, JCS_CMYK, cmyk, [](jpeg_compress_struct&) {});
    Bitmap decoded;
    ASSERT_EQ(Decode(jpeg, decoded), JpegStatus::Decoded);
    const std::uint8_t* red = decoded.Row(4) + 3 * 3;
    EXPECT_LE(red[0], 3);
    EXPECT_LE(red[1], 3);
    EXPECT_GE(red[2], 252);
    const std::uint8_t* black = decoded.Row(4) + 12 * 3;
    EXPECT_LE(black[0] + black[1] + black[2], 6);
}

TEST(JpegDecode, NotAJpegFileCannotBeRead) {
    Bitmap bmp(5, 5);
    for (const std::string& bytes : {std::string("hello, world"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
                                     std::string("\xFF\xD8"), std::string("\xFF\xD8\xFF\xD9"), std::string(1, '\0')}) {
        EXPECT_EQ(Decode(bytes, bmp), JpegStatus::CannotBeRead);
        EXPECT_EQ(bmp.Width(), 5); // untouched
    }
    EXPECT_EQ(DecodeJpeg(nullptr, 0, bmp), JpegStatus::CannotBeRead);
}

TEST(JpegDecode, FilesThatAreMissingEmptyOrCutInTheHeaderCannotBeRead) {
    test::TempDir dir;
    Bitmap bmp;
    EXPECT_EQ(LoadJpegFile(dir.File("missing"), bmp), JpegStatus::CannotBeRead);
    test::WriteBytes(dir.File("empty"), "");
    EXPECT_EQ(LoadJpegFile(dir.File("empty"), bmp), JpegStatus::CannotBeRead);
    EXPECT_EQ(LoadJpegFile(dir.Path(), bmp), JpegStatus::CannotBeRead); // a folder
    const std::string jpeg = EncodeJpeg(Blocks(16, 16), 90);
    test::WriteBytes(dir.File("cut"), jpeg.substr(0, FindSof(jpeg) + 4)); // ends inside the frame header
    EXPECT_EQ(LoadJpegFile(dir.File("cut"), bmp), JpegStatus::CannotBeRead);
    test::WriteBytes(dir.File("ok"), jpeg);
    EXPECT_EQ(LoadJpegFile(dir.File("ok"), bmp), JpegStatus::Decoded);
    EXPECT_EQ(bmp.Width(), 16);
}

TEST(JpegDecode, MissingEndMarkerAloneStillGivesThePicture) {
    const std::string jpeg = EncodeJpeg(Blocks(16, 16), 90);
    Bitmap whole, cut;
    ASSERT_EQ(Decode(jpeg, whole), JpegStatus::Decoded);
    ASSERT_EQ(Decode(jpeg.substr(0, jpeg.size() - 2), cut), JpegStatus::Decoded);
    EXPECT_TRUE(whole == cut);
}

// libjpeg only warns about damaged entropy-coded data and fills in what is missing; the picture shows as
// djpeg shows it, byte for byte.
TEST(JpegDecode, DamagedDataDecodesExactlyAsDjpegDoes) {
    if (!test::HaveDjpeg()) GTEST_SKIP() << "djpeg is not installed (scripts/install-deps core)";
    test::TempDir dir;
    std::vector<std::pair<std::string, std::string>> cases; // name, bytes
    for (const bool progressive : {false, true}) {
        JpegEncodeOptions o;
        o.quality = 90;
        o.progressive = progressive;
        const std::string jpeg = EncodeJpeg(Noise(64, 48), o);
        const auto scans = test::ScanDataRanges(jpeg);
        ASSERT_EQ(scans.size(), progressive ? 10u : 1u);
        const std::string kind = progressive ? "progressive" : "baseline";
        std::string flipped = jpeg;
        // In the first scan, a middle one and the last: at its start, in its middle and just before its end.
        for (const auto& [begin, end] : {scans.front(), scans[scans.size() / 2], scans.back()}) {
            for (const std::size_t keep : {begin, (begin + end) / 2, end - 1})
                cases.push_back({kind + " cut at " + std::to_string(keep), jpeg.substr(0, keep)});
            for (std::size_t at = begin + 3; at + 2 < end; at += 97)
                flipped[at] = static_cast<char>(flipped[at] ^ 0x5A);
        }
        cases.push_back({kind + " with bytes flipped", flipped});
        const std::size_t data = scans.front().first;
        std::string eoi = jpeg;
        eoi[data + 200] = '\xFF';
        eoi[data + 201] = '\xD9'; // end of image in the middle of the data
        cases.push_back({kind + " with an end marker inside the data", eoi});
    }
    // A header claiming a larger picture than its data holds.
    cases.push_back({"640 x 480 of 16 x 16 data", WithSize(EncodeJpeg(Blocks(16, 16), 90), 640, 480)});
    for (const auto& [name, bytes] : cases) {
        test::WriteBytes(dir.File("p.jpg"), bytes);
        const Bitmap expected = test::DjpegDecode(dir.File("p.jpg"));
        ASSERT_GT(expected.Width(), 0) << name;
        Bitmap decoded(2, 3);
        ASSERT_EQ(LoadJpegFile(dir.File("p.jpg"), decoded), JpegStatus::Decoded) << name;
        EXPECT_TRUE(decoded == expected) << name;
    }
}

// The size rule runs on the header: a picture this machine cannot hold, or larger than JPEG allows, is an error
// that names the file and the size, raised before anything of that size is allocated.
TEST(JpegDecode, PicturesBeyondTheMemoryRuleAreRefusedOnTheirHeader) {
    const std::string small = EncodeJpeg(Blocks(16, 16), 90);
    test::TempDir dir;
    // 65535 lies beyond JPEG's side limit, which libjpeg itself enforces; the rest beyond any budget here.
    SetPictureMemoryBudget(std::uint64_t{64} << 20);
    for (auto [w, h] : {std::pair{65500, 65500}, std::pair{65535, 1}, std::pair{1, 65535}, std::pair{8000, 1000}}) {
        const std::string file = dir.File("big");
        test::WriteBytes(file, WithSize(small, w, h));
        Bitmap bmp(2, 3);
        try {
            LoadJpegFile(file, bmp);
            ADD_FAILURE() << w << "x" << h << " was decoded";
        } catch (const EPictureTooLarge& e) {
            EXPECT_EQ(std::string(e.what()), "ﾌｧｲﾙ " + file + " の画像 (" + std::to_string(w) + " × " +
                                                 std::to_string(h) + ") は大きすぎて表示できません");
        }
        EXPECT_EQ(bmp.Width(), 2);
        EXPECT_EQ(bmp.Height(), 3);
    }
    // 8000 x 1000 needs 8 bitmaps of 24,000,000 bytes: 192,000,000 bytes fit a budget of that much, one byte less
    // does not.
    const std::string wide = WithSize(small, 8000, 1000);
    SetPictureMemoryBudget(std::uint64_t{192000000});
    Bitmap bmp;
    EXPECT_EQ(Decode(wide, bmp), JpegStatus::Decoded);
    EXPECT_EQ(bmp.Width(), 8000);
    SetPictureMemoryBudget(std::uint64_t{191999999});
    EXPECT_THROW(Decode(wide, bmp), EPictureTooLarge);
    SetPictureMemoryBudget(std::nullopt);
    // A truncated file that claims a huge picture is no different.
    const std::string huge = WithSize(small, 65500, 65500);
    Bitmap none;
    EXPECT_THROW(Decode(huge.substr(0, ScanDataStart(huge) + 20), none), EPictureTooLarge);
    EXPECT_EQ(none.Width(), 0);
}

TEST(PictureMemory, RuleCountsEveryPictureSizedBitmapAgainstTheBudget) {
    // Rows are padded to 4 bytes: 5 pixels take 16 bytes a row.
    EXPECT_EQ(BitmapBytes(5, 3), 48u);
    EXPECT_EQ(BitmapBytes(8256, 5504), 136323072u);
    EXPECT_EQ(BitmapBytes(0, 7), 0u);
    EXPECT_EQ(PictureMemoryNeed(8256, 5504, 1000), 8u * 136323072u + 1000u);
    constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
    // A 100 MP photo on a machine of 8 GiB (a budget of 4 GiB) shows; on one of 2 GiB it does not.
    EXPECT_TRUE(PictureFitsMemory(12000, 8400, 0, 4 * kGiB));
    EXPECT_FALSE(PictureFitsMemory(12000, 8400, 0, 1 * kGiB));
    // A 45 MP photo needs about 1.04 GiB, a multi-scan one 0.2 GiB more for its coefficients.
    EXPECT_TRUE(PictureFitsMemory(8256, 5504, 0, 2 * kGiB));
    EXPECT_FALSE(PictureFitsMemory(8256, 5504, 0, kGiB));
    EXPECT_FALSE(PictureFitsMemory(8256, 5504, kGiB, 2 * kGiB));
    EXPECT_FALSE(PictureFitsMemory(0, 10, 0, 4 * kGiB));
    // The machine's budget is half its memory, and a budget set for a test replaces it.
    ASSERT_GT(PhysicalMemoryBytes(), 0u);
    EXPECT_EQ(PictureMemoryBudget(), PhysicalMemoryBytes() / 2);
    SetPictureMemoryBudget(12345);
    EXPECT_EQ(PictureMemoryBudget(), 12345u);
    SetPictureMemoryBudget(std::nullopt);
    EXPECT_EQ(PictureMemoryBudget(), PhysicalMemoryBytes() / 2);
}

TEST(JpegDecode, HeaderInspectionNamesTheReason) {
    const std::string jpeg = EncodeJpeg(Blocks(16, 16), 90);
    const auto inspect = [](const std::string& b, std::uint64_t budget = std::uint64_t{1} << 30) {
        return InspectJpegHeader(b.data(), b.size(), budget);
    };
    EXPECT_EQ(inspect(jpeg).kind, JpegHeaderInfo::Readable);
    EXPECT_EQ(inspect(jpeg).decoderBytes, 0u);
    // A progressive file keeps every coefficient: 2 x 2 blocks of luma and 1 x 1 of each chroma at 4:2:0, and
    // the chroma rows are rounded up to the sampling factors of 1.
    JpegEncodeOptions o;
    o.quality = 90;
    o.progressive = true;
    const JpegHeaderInfo progressive = inspect(EncodeJpeg(Blocks(16, 16), o));
    EXPECT_EQ(progressive.kind, JpegHeaderInfo::Readable);
    EXPECT_EQ(progressive.decoderBytes, (4u + 1u + 1u) * 128u);
    const JpegHeaderInfo big = inspect(WithSize(jpeg, 30000, 20000), std::uint64_t{1} << 30);
    EXPECT_EQ(big.kind, JpegHeaderInfo::TooLarge);
    EXPECT_EQ(big.width, 30000);
    EXPECT_EQ(big.height, 20000);
    std::string twelve = jpeg;
    twelve[FindSof(jpeg) + 4] = 12; // the sample precision
    const JpegHeaderInfo precision = inspect(twelve);
    EXPECT_EQ(precision.kind, JpegHeaderInfo::UnsupportedPrecision);
    EXPECT_EQ(precision.precision, 12);
    EXPECT_EQ(inspect(jpeg.substr(0, 30)).kind, JpegHeaderInfo::DamagedHeader);
    EXPECT_EQ(inspect("GIF89a").kind, JpegHeaderInfo::NotJpeg);
}

TEST(JpegDecode, ProgressiveFileWithTooManyScansIsDamaged) {
    // DC first, then every AC coefficient of every component in a scan of its own: 1 + 3 * 63 = 190 scans.
    const int w = 16, h = 16;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(w * h * 3), 0x80);
    std::vector<jpeg_scan_info> script;
    script.push_back({3, {0, 1, 2, 0}, 0, 0, 0, 0});
    for (int c = 0; c < 3; ++c)
        for (int k = 1; k < 64; ++k)
            script.push_back({1, {c, 0, 0, 0}, k, k, 0, 0});
    const auto withScript = [&script](std::size_t scans) {
        return [&script, scans](jpeg_compress_struct& cinfo) {
            cinfo.scan_info = script.data();
            cinfo.num_scans = static_cast<int>(scans);
        };
    };
    const std::string many = RawCompress(w, h, 3, JCS_RGB, rgb, withScript(script.size()));
    Bitmap bmp;
    EXPECT_THROW(Decode(many, bmp), EInvalidGraphic);

    // A single-component progressive file of 64 scans stays within the limit.
    std::vector<jpeg_scan_info> grey;
    grey.push_back({1, {0, 0, 0, 0}, 0, 0, 0, 0});
    for (int k = 1; k < 64; ++k)
        grey.push_back({1, {0, 0, 0, 0}, k, k, 0, 0});
    std::vector<unsigned char> g(static_cast<std::size_t>(w * h), 0x40);
    const std::string fine = RawCompress(w, h, 1, JCS_GRAYSCALE, g, [&grey](jpeg_compress_struct& cinfo) {
        cinfo.scan_info = grey.data();
        cinfo.num_scans = static_cast<int>(grey.size());
    });
    ASSERT_EQ(Decode(fine, bmp), JpegStatus::Decoded);
    EXPECT_NEAR(bmp.Row(5)[5], 0x40, 1);
}

TEST(JpegEncode, EmptyBitmapIsRefused) {
    EXPECT_THROW(EncodeJpeg(Bitmap(), 90), EInvalidGraphic);
    EXPECT_THROW(EncodeJpeg(Bitmap(0, 5), 90), EInvalidGraphic);
}

TEST(JpegEncode, WritesAJfifFileOfTheBitmapsSize) {
    const std::string jpeg = EncodeJpeg(Blocks(300, 7), 75);
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(jpeg.substr(jpeg.size() - 2), "\xFF\xD9");
    const std::size_t sof = FindSof(jpeg);
    ASSERT_NE(sof, std::string::npos);
    EXPECT_EQ((static_cast<unsigned char>(jpeg[sof + 5]) << 8) | static_cast<unsigned char>(jpeg[sof + 6]), 7);
    EXPECT_EQ((static_cast<unsigned char>(jpeg[sof + 7]) << 8) | static_cast<unsigned char>(jpeg[sof + 8]), 300);
    // A picture large enough to make the output buffer grow several times.
    Bitmap decoded;
    ASSERT_EQ(Decode(EncodeJpeg(Noise(400, 300), 100), decoded), JpegStatus::Decoded);
    EXPECT_EQ(decoded.Width(), 400);
}
