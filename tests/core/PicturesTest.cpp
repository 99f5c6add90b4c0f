#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "resources/Pictures.h"
#include "resources/PngImage.h"

namespace quillmate {
namespace {

using Bytes = std::vector<unsigned char>;

struct PictureCase {
    Picture picture;
    const char* name;
    int size;
};

const std::vector<PictureCase> kAllPictures = {
    {Picture::AppIcon, "AppIcon", 48},
    {Picture::Admin, "Admin", 16},
    {Picture::Collapsed, "Collapsed", 16},
    {Picture::Expanded, "Expanded", 16},
    {Picture::Help, "Help", 16},
    {Picture::Info, "Info", 16},
    {Picture::Settings, "Settings", 16},
    {Picture::Copy, "Copy", 16},
    {Picture::NewEntryMark, "NewEntryMark", 16},
    {Picture::ChangedEntryMark, "ChangedEntryMark", 16},
    {Picture::Folder, "Folder", 16},
    {Picture::Statistics, "Statistics", 16},
    {Picture::CodeFormat, "CodeFormat", 16},
    {Picture::FlagGerman, "FlagGerman", 16},
    {Picture::FlagBritish, "FlagBritish", 16},
    {Picture::FlagFrench, "FlagFrench", 16},
};

Bytes DataOf(Picture picture) {
    const auto data = PictureData(picture);
    return Bytes(data.begin(), data.end());
}

unsigned char Alpha(const RgbaImage& image, int x, int y) {
    return image.pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + x) * 4 + 3];
}

// Encodes pixels of the given libpng format with libpng's own writer.
Bytes Encode(int width, int height, png_uint_32 format, const Bytes& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = format;
    png_alloc_size_t size = 0;
    EXPECT_NE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr), 0);
    Bytes out(size);
    EXPECT_NE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr), 0);
    out.resize(size);
    return out;
}

void AppendBigEndian(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<unsigned char>(value >> shift));
    }
}

// A chunk with a correct length and checksum, so that only its content can be at fault.
void AppendChunk(Bytes& out, const std::string& type, const Bytes& content) {
    AppendBigEndian(out, static_cast<std::uint32_t>(content.size()));
    Bytes typed(type.begin(), type.end());
    typed.insert(typed.end(), content.begin(), content.end());
    out.insert(out.end(), typed.begin(), typed.end());
    AppendBigEndian(out, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

// A well-formed PNG whose header announces the given size but which carries only a tiny
// compressed image stream.
Bytes PngClaimingSize(std::uint32_t width, std::uint32_t height) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    AppendBigEndian(header, width);
    AppendBigEndian(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bit RGBA, no interlace
    AppendChunk(out, "IHDR", header);
    const Bytes zeros(68, 0);  // the rows of a 4 x 4 image
    Bytes compressed(compressBound(zeros.size()));
    uLongf compressedSize = compressed.size();
    compress(compressed.data(), &compressedSize, zeros.data(), zeros.size());
    compressed.resize(compressedSize);
    AppendChunk(out, "IDAT", compressed);
    AppendChunk(out, "IEND", {});
    return out;
}

// ---- The embedded pictures ----

TEST(PicturesTest, EveryPictureDecodesWithItsSizeAndVisibleContent) {
    for (const PictureCase& c : kAllPictures) {
        const std::optional<RgbaImage> image = DecodePng(PictureData(c.picture));
        ASSERT_TRUE(image.has_value()) << c.name;
        EXPECT_EQ(image->width, c.size) << c.name;
        EXPECT_EQ(image->height, c.size) << c.name;
        ASSERT_EQ(image->pixels.size(), static_cast<std::size_t>(c.size * c.size * 4)) << c.name;
        int opaque = 0;
        for (int y = 0; y < image->height; ++y) {
            for (int x = 0; x < image->width; ++x) {
                opaque += Alpha(*image, x, y) == 255 ? 1 : 0;
            }
        }
        // At least a quarter of the canvas is drawn solidly, so a blank or faint picture fails.
        EXPECT_GE(opaque, c.size * c.size / 4) << c.name;
    }
}

TEST(PicturesTest, EveryPictureHasItsOwnData) {
    for (std::size_t i = 0; i < kAllPictures.size(); ++i) {
        for (std::size_t j = i + 1; j < kAllPictures.size(); ++j) {
            EXPECT_NE(DataOf(kAllPictures[i].picture), DataOf(kAllPictures[j].picture))
                << kAllPictures[i].name << " and " << kAllPictures[j].name;
        }
    }
}

TEST(PicturesTest, AWidgetShowsTheDrawingOfItsScaleFactorOrTheNearest) {
    const std::pair<int, int> cases[] = {{0, 1}, {1, 1}, {2, 2}, {3, 2}};  // scale factor, drawing
    for (const auto& [widgetScale, drawing] : cases) {
        EXPECT_EQ(PictureScaleFor(widgetScale), drawing) << widgetScale;
    }
}

// How far apart the picture drawn at its size and its larger drawing shrunk to that size are: the
// mean difference of the colours (weighted by their cover) and of the cover, 0 to 255.
double ShrunkDifference(const RgbaImage& small, const RgbaImage& large) {
    const auto value = [](const RgbaImage& image, int x, int y, int c) {
        const unsigned char* pixel = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
        return c == 3 ? pixel[3] : pixel[c] * pixel[3] / 255.0;
    };
    double sum = 0;
    for (int i = 0; i < small.width * small.height * 4; ++i) {
        const int x = i / 4 % small.width;
        const int y = i / 4 / small.width;
        const int c = i % 4;
        const double shrunk = value(large, 2 * x, 2 * y, c) + value(large, 2 * x + 1, 2 * y, c) +
                              value(large, 2 * x, 2 * y + 1, c) + value(large, 2 * x + 1, 2 * y + 1, c);
        sum += std::abs(shrunk / 4 - value(small, x, y, c));
    }
    return sum / (small.width * small.height * 4);
}

TEST(PicturesTest, EveryLargerDrawingIsTheSamePicture) {
    for (const PictureCase& c : kAllPictures) {
        const auto small = DecodePng(PictureData(c.picture));
        const auto large = DecodePng(PictureData(c.picture, 2));
        ASSERT_TRUE(small && large && large->width == 2 * small->width) << c.name;
        // Edges fall on other pixels at the larger size: the same drawing differs by about 1, the
        // two most alike pictures (help and info) by 11.
        EXPECT_LT(ShrunkDifference(*small, *large), 2.0) << c.name;
    }
}

// Opaque pixels in the leftmost and the rightmost column that has any: an arrow's tip is narrower
// than its tail.
std::pair<int, int> OuterColumnHeights(const RgbaImage& image) {
    std::vector<int> heights;
    for (int x = 0; x < image.width; ++x) {
        int count = 0;
        for (int y = 0; y < image.height; ++y) {
            count += Alpha(image, x, y) > 127 ? 1 : 0;
        }
        if (count > 0) {
            heights.push_back(count);
        }
    }
    return heights.empty() ? std::pair{0, 0} : std::pair{heights.front(), heights.back()};
}

TEST(PicturesTest, CollapsedArrowPointsRightAndExpandedArrowPointsLeft) {
    const auto collapsed = DecodePng(PictureData(Picture::Collapsed));
    const auto expanded = DecodePng(PictureData(Picture::Expanded));
    ASSERT_TRUE(collapsed && expanded);
    const auto [collapsedLeft, collapsedRight] = OuterColumnHeights(*collapsed);
    EXPECT_GT(collapsedLeft, collapsedRight);
    const auto [expandedLeft, expandedRight] = OuterColumnHeights(*expanded);
    EXPECT_LT(expandedLeft, expandedRight);
}

// ---- Decoding ----

TEST(PicturesTest, DecodingKeepsStraightRgbaValues) {
    // Half-transparent pixels must come back unchanged, not premultiplied, in R, G, B, A order.
    const Bytes pixels = {
        255, 0,   0,  255, 0, 255, 0, 128, 0,  0,   255, 1,   10,  20,  30,  0,
        200, 100, 50, 77,  1, 2,   3, 4,   90, 180, 45,  254, 255, 255, 255, 255,
    };
    const Bytes png = Encode(4, 2, PNG_FORMAT_RGBA, pixels);
    const auto image = DecodePng(png);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->width, 4);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(image->pixels, pixels);
}

TEST(PicturesTest, OtherPixelFormatsBecomeRgba) {
    struct Case {
        const char* name;
        png_uint_32 format;
        Bytes input;
        Bytes expected;
    };
    const std::vector<Case> cases = {
        {"grey", PNG_FORMAT_GRAY, {0, 128, 255}, {0, 0, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255}},
        {"grey with alpha",
         PNG_FORMAT_GA,
         {40, 0, 90, 100, 200, 255},
         {40, 40, 40, 0, 90, 90, 90, 100, 200, 200, 200, 255}},
        {"rgb", PNG_FORMAT_RGB, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255}},
        {"bgra",
         PNG_FORMAT_BGRA,
         {3, 2, 1, 50, 6, 5, 4, 60, 9, 8, 7, 70},
         {1, 2, 3, 50, 4, 5, 6, 60, 7, 8, 9, 70}},
    };
    for (const Case& c : cases) {
        const auto image = DecodePng(Encode(3, 1, c.format, c.input));
        ASSERT_TRUE(image.has_value()) << c.name;
        EXPECT_EQ(image->pixels, c.expected) << c.name;
    }
}

TEST(PicturesTest, SizeLimitIsInclusive) {
    const Bytes widest(static_cast<std::size_t>(kMaxPngSide) * 4, 200);
    const auto atLimit = DecodePng(Encode(kMaxPngSide, 1, PNG_FORMAT_RGBA, widest));
    ASSERT_TRUE(atLimit.has_value());
    EXPECT_EQ(atLimit->width, kMaxPngSide);
    const Bytes tallest(static_cast<std::size_t>(kMaxPngSide) * 4, 200);
    EXPECT_TRUE(DecodePng(Encode(1, kMaxPngSide, PNG_FORMAT_RGBA, tallest)).has_value());

    const Bytes tooWide(static_cast<std::size_t>(kMaxPngSide + 1) * 4, 200);
    EXPECT_FALSE(DecodePng(Encode(kMaxPngSide + 1, 1, PNG_FORMAT_RGBA, tooWide)).has_value());
    EXPECT_FALSE(DecodePng(Encode(1, kMaxPngSide + 1, PNG_FORMAT_RGBA, tooWide)).has_value());
}

TEST(PicturesTest, HeaderClaimingHugeSizeIsRefused) {
    struct Case {
        std::uint32_t width;
        std::uint32_t height;
    };
    const std::vector<Case> cases = {
        {5000, 5000}, {4097, 16}, {16, 4097}, {1000000, 1000000}, {0x7FFFFFFF, 0x7FFFFFFF}, {0, 16}, {16, 0},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(DecodePng(PngClaimingSize(c.width, c.height)).has_value())
            << c.width << " x " << c.height;
    }
    // The same construction with a small size is a valid image.
    EXPECT_TRUE(DecodePng(PngClaimingSize(4, 4)).has_value());
}

TEST(PicturesTest, EveryTruncationIsRefused) {
    for (const Picture picture : {Picture::AppIcon, Picture::Admin, Picture::FlagGerman}) {
        const Bytes png = DataOf(picture);
        for (std::size_t length = 0; length < png.size(); ++length) {
            const Bytes prefix(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_FALSE(DecodePng(prefix).has_value()) << static_cast<int>(picture) << " cut to " << length;
        }
    }
}

// Offsets of the bytes inside the type, content and checksum of ancillary chunks: a reader may
// skip a damaged chunk of this kind (a background colour hint, for example) and still show the
// image correctly.
std::vector<bool> AncillaryBytes(const Bytes& png) {
    std::vector<bool> ancillary(png.size(), false);
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::size_t length = (std::size_t{png[at]} << 24) | (std::size_t{png[at + 1]} << 16) |
                                   (std::size_t{png[at + 2]} << 8) | png[at + 3];
        const bool isAncillary = (png[at + 4] & 0x20) != 0;
        for (std::size_t i = at + 4; i < std::min(png.size(), at + 12 + length); ++i) {
            ancillary[i] = isAncillary;
        }
        at += 12 + length;
    }
    return ancillary;
}

TEST(PicturesTest, ChangedBytesAreRefusedOrHarmless) {
    for (const Picture picture : {Picture::Admin, Picture::FlagFrench}) {
        const Bytes png = DataOf(picture);
        const auto original = DecodePng(png);
        ASSERT_TRUE(original.has_value());
        const std::vector<bool> ancillary = AncillaryBytes(png);
        for (std::size_t i = 0; i < png.size(); ++i) {
            for (const unsigned char mask : {0x01, 0x20, 0x80, 0xFF}) {
                Bytes damaged = png;
                damaged[i] ^= mask;
                const auto decoded = DecodePng(damaged);
                if (ancillary[i] && decoded) {
                    EXPECT_EQ(decoded->pixels, original->pixels) << "byte " << i << " ^ " << int(mask);
                } else {
                    EXPECT_FALSE(decoded.has_value()) << "byte " << i << " ^ " << int(mask);
                }
            }
        }
    }
}

TEST(PicturesTest, GarbageIsRefused) {
    std::mt19937 random(20250101);
    std::vector<Bytes> inputs = {
        {},
        {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'},
        Bytes(1000, 0),
        Bytes(1000, 0xFF),
    };
    const std::string text = "<?xml version=\"1.0\"?><picture/>";
    inputs.emplace_back(text.begin(), text.end());
    for (int n = 0; n < 50; ++n) {
        Bytes noise(static_cast<std::size_t>(n * 37 + 1));
        std::generate(noise.begin(), noise.end(), [&] { return static_cast<unsigned char>(random()); });
        inputs.push_back(noise);
        // Noise behind a genuine signature and header reaches deeper into the decoder.
        Bytes headed = DataOf(Picture::Help);
        headed.resize(33);
        headed.insert(headed.end(), noise.begin(), noise.end());
        inputs.push_back(headed);
    }
    for (const Bytes& input : inputs) {
        EXPECT_FALSE(DecodePng(input).has_value()) << input.size() << " bytes";
    }
}

}  // namespace
}  // namespace quillmate
