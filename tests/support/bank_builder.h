// Builds memory banks and sprite banks byte by byte: for tests and the demo.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "amos_program_builder.h"

namespace zarvex::testing {

// "AmBk", number, 0 chip / 1 fast, flags | length, the 8-byte name, the data.
Bytes memoryBank(std::uint16_t number, std::uint16_t memory, const char (&name)[9], const Bytes& data,
                 std::uint32_t flags = 0x80000000);

struct SpriteImageBytes {
  std::uint16_t words = 0, height = 0, depth = 0;  // 0 in any: an empty slot
  Bytes planes;                                    // words * 2 * height * depth bytes
  std::uint16_t hotSpotX = 3, hotSpotY = 4;
};

// "AmSp", the images, then 32 colour words.
Bytes spriteBank(const std::vector<SpriteImageBytes>& images, const std::array<std::uint16_t, 32>& palette);

// The planes of a picture given as one colour index a pixel, row after row;
// `width` a multiple of 16.
Bytes planesOf(const std::vector<std::uint8_t>& indices, int width, int height, int depth);

// A program file as amosFile makes it, with `banks` in its bank set.
Bytes amosFileWithBanks(const std::vector<TokenLine>& lines, const std::vector<Bytes>& banks,
                        const std::string& signature = "AMOS Basic V134 ");

}  // namespace zarvex::testing
