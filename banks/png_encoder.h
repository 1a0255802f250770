// PNG files from the bank reader's pictures, with libpng: the tool stays
// free of Qt (its start-up stays that of a small C++ program) while the PNG
// encoding is the maintained reference library's.
#pragma once

#include <cstdint>
#include <vector>

#include "bank_picture.h"

namespace zarvex {

// An opaque 8-bit RGB PNG of `picture`. Throws std::runtime_error when
// libpng fails.
std::vector<std::uint8_t> encodePng(const BankPicture& picture);

}  // namespace zarvex
