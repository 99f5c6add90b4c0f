// Decoding of PNG data into plain 8-bit RGBA pixels.
#pragma once

#include <optional>
#include <span>
#include <vector>

namespace quillmate {

struct RgbaImage {
    int width = 0;
    int height = 0;
    // Rows top to bottom, 4 bytes per pixel in the order R, G, B, A; colours are not
    // premultiplied by alpha.
    std::vector<unsigned char> pixels;
};

// Larger images are refused before any pixel memory is allocated, so that a hostile header
// cannot make the program reserve gigabytes.
constexpr int kMaxPngSide = 4096;

// The decoded image, or nullopt when the data is not a complete, intact PNG image or is wider or
// higher than kMaxPngSide.
std::optional<RgbaImage> DecodePng(std::span<const unsigned char> data);

}  // namespace quillmate
