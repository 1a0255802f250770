// PNG files from the bank reader's pictures, with libpng: the tool stays
// free of Qt (its start-up stays that of a small C++ program) while the PNG
// encoding is the maintained reference library's.
#pragma once

#include <cstdint>
#include <vector>

#include "bank_picture.h"

namespace zarvex {

// An opaque PNG of `picture`: with a palette, at 1, 2, 4 or 8 bits a pixel,
// when each colour index shows one colour; as 8-bit RGB when not (a
// hold-and-modify picture). Read back, its pixels are `picture.rgb`. Throws
// std::runtime_error when libpng fails.
std::vector<std::uint8_t> encodePng(const BankPicture& picture);

}  // namespace zarvex
