// Packed pictures ("Pac.Pic." memory banks): an optional 90-byte screen
// header (its palette and display mode), a 24-byte picture header, and three
// byte streams (picture bytes, run bits, run-control bits) that unpack into a
// planar bitmap of 8 * B pixels by K * T lines in D planes.
#pragma once

#include <cstdint>

#include "bank_picture.h"
#include <string>

#include "bank_outputs.h"
#include "bank_set.h"

namespace zarvex {

// Larger pictures than this (2048 x 2048) are refused as damaged: the
// Amiga's largest screens are far smaller, and a few bytes of stream could
// otherwise ask for gigabytes. The fuzzing build takes 512 x 512: the same
// code on both sides of the limit, without 20 MiB of buffers for one input.
#ifdef ZARVEX_FUZZING
inline constexpr std::int64_t kMaxPackedPixels = 512 * 512;
#else
inline constexpr std::int64_t kMaxPackedPixels = 2048 * 2048;
#endif

struct PackedPicture {
  bool screenHeader = false;  // without one there is no palette: grey levels
  int screenWidth = 0;
  int screenHeight = 0;
  std::uint16_t displayMode = 0;  // BPLCON0: bit 15 hires, bit 11 hold-and-modify, bit 2 interlace
  int depth = 0;                  // bit-planes of the picture
  Palette palette{};
  BankPicture picture;

  bool holdAndModify() const { return depth == 6 && (displayMode & 0x0800) != 0; }
  bool hires() const { return (displayMode & 0x8000) != 0; }
};

// Unpacks `bank`'s picture. Throws BankDamage (offsets from the bank's start)
// when a header or stream runs past the bank's end or the sizes make no
// picture.
PackedPicture unpackPicture(const Bank& bank);

// Colours given from outside the picture: its palette and display mode.
struct PictureColours {
  Palette palette{};
  std::uint16_t displayMode = 0;
};

// The picture whose headers start `offset` bytes into `bank` (a screen
// header there is skipped), coloured by `colours`: the images of resource
// banks, which share one palette.
PackedPicture unpackPictureAt(const Bank& bank, std::size_t offset, const PictureColours& colours);

// The outputs after the bank's own bytes, named from `stem` ("NAME.bankNN").
void packedPictureOutputs(const std::string& stem, const Bank& bank, BankOutputSink& sink);

}  // namespace zarvex
