// PNG decoding through libpng's simplified reading interface, which reports errors through its
// return values, so no setjmp is needed here.
#include "resources/PngImage.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <memory>

namespace quillmate {
namespace {

struct PngImageFree {
    void operator()(png_image* image) const { png_image_free(image); }
};

// libpng's simplified reader stops once it has the pixels and does not insist on the end chunk,
// so a file cut off there would pass for a whole one. An intact file ends with exactly this chunk.
constexpr std::array<unsigned char, 12> kEndChunk = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};

bool EndsWithEndChunk(std::span<const unsigned char> data) {
    return data.size() >= kEndChunk.size() &&
           std::equal(kEndChunk.begin(), kEndChunk.end(), data.end() - kEndChunk.size());
}

}  // namespace

std::optional<RgbaImage> DecodePng(std::span<const unsigned char> data) {
    if (!EndsWithEndChunk(data)) {
        return std::nullopt;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    // Releases libpng's reading state on every way out, including after a failed read.
    const std::unique_ptr<png_image, PngImageFree> release(&image);
    if (png_image_begin_read_from_memory(&image, data.data(), data.size()) == 0) {
        return std::nullopt;
    }
    if (image.width == 0 || image.height == 0 || image.width > static_cast<png_uint_32>(kMaxPngSide) ||
        image.height > static_cast<png_uint_32>(kMaxPngSide)) {
        return std::nullopt;
    }
    image.format = PNG_FORMAT_RGBA;
    RgbaImage result;
    result.width = static_cast<int>(image.width);
    result.height = static_cast<int>(image.height);
    result.pixels.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, result.pixels.data(), 0, nullptr) == 0) {
        return std::nullopt;
    }
    return result;
}

}  // namespace quillmate
