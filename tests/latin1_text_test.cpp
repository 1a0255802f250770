// ISO-8859-1 to UTF-8: the vector loop and the byte loop agree at every
// length and position.
#include "latin1_text.h"

#include <gtest/gtest.h>

#include <string>

namespace zarvex {
namespace {

std::string oneByOne(const std::string& text) {
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(static_cast<char>(0xC0 | (u >> 6)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

TEST(Latin1Text, EveryLengthAndPositionOfAHighCharacterConverts) {
  for (std::size_t length = 0; length <= 48; ++length) {
    for (std::size_t at = 0; at < std::max<std::size_t>(length, 1); ++at) {
      for (unsigned char high : {0x80, 0xA0, 0xE9, 0xFF}) {
        std::string text(length, 'a');
        if (length > 0) text[at] = static_cast<char>(high);
        EXPECT_EQ(latin1ToUtf8(text), oneByOne(text)) << length << " " << at;
      }
    }
  }
  std::string every;
  for (int c = 0; c < 256; ++c) every.push_back(static_cast<char>(c));
  EXPECT_EQ(latin1ToUtf8(every + every), oneByOne(every + every));
}

}  // namespace
}  // namespace zarvex
