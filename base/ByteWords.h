// Eight bytes of text at once, for the scans that a code file or a library passes through
// byte by byte otherwise: a mask marks chosen bytes of a word with their high bit (0x80).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quillmate {

inline constexpr std::size_t kWordBytes = sizeof(std::uint64_t);
inline constexpr std::uint64_t kEveryByte = 0x0101010101010101ULL;
inline constexpr std::uint64_t kHighBits = kEveryByte * 0x80;

// The eight bytes at `bytes`, in memory order whatever the machine's byte order.
inline std::uint64_t LoadWord(const void* bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, kWordBytes);
    return word;
}

inline void StoreWord(std::uint64_t word, void* bytes) {
    std::memcpy(bytes, &word, kWordBytes);
}

// Marks the bytes of `word` that equal `byte`, exactly: no borrow runs from one byte into the next.
inline std::uint64_t MarkBytesEqual(std::uint64_t word, unsigned char byte) {
    const std::uint64_t v = word ^ (kEveryByte * byte);
    return ~(((v & ~kHighBits) + ~kHighBits) | v | ~kHighBits);
}

// Position in memory order (0 to 7) of the first marked byte of a mask that is not 0.
inline std::size_t FirstMarkedByte(std::uint64_t mask) {
    const int bit =
        std::endian::native == std::endian::little ? std::countr_zero(mask) : std::countl_zero(mask);
    return static_cast<std::size_t>(bit) / 8;
}

// `word` with A-Z turned into a-z; every byte of it must be ASCII (below 0x80), so that no
// sum carries into the next byte.
inline std::uint64_t LowerAsciiWord(std::uint64_t word) {
    const std::uint64_t fromA = word + kEveryByte * (0x80 - 'A');
    const std::uint64_t pastZ = word + kEveryByte * (0x80 - 'Z' - 1);
    return word | ((fromA & ~pastZ & kHighBits) >> 2);
}

}  // namespace quillmate
