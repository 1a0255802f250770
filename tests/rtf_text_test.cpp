// Escaping text for the listing document: the vector checks against the
// plain rule, at every length and position around their sixteen-byte steps.
#include "rtf_text.h"

#include <gtest/gtest.h>

#include <string>

#include "rtf_reader.h"
#include "string_appender.h"

namespace zarvex {
namespace {

bool special(unsigned char c) { return c < 0x20 || c == '\\' || c == '{' || c == '}'; }

TEST(RtfText, EveryLengthAndPositionOfACharacterToEscapeIsSeen) {
  for (std::size_t length = 0; length <= 40; ++length) {
    const std::string plain(length, 'x');
    EXPECT_TRUE(standsForItselfInRtf(plain)) << length;
    EXPECT_FALSE(needsRtfEscape(plain)) << length;
    for (std::size_t at = 0; at < length; ++at) {
      for (const char c : {'\\', '{', '}', '\r', '\0', '\x1f'}) {
        std::string text = plain;
        text[at] = c;
        EXPECT_FALSE(standsForItselfInRtf(text)) << length << " " << at << " " << int(c);
        EXPECT_TRUE(needsRtfEscape(text)) << length << " " << at << " " << int(c);
      }
    }
  }
  // The bytes just outside the view are not looked at.
  const std::string wider = "abcdefghijklmnopq{";
  EXPECT_TRUE(standsForItselfInRtf(std::string_view(wider).substr(0, 17)));
  EXPECT_TRUE(standsForItselfInRtf(std::string_view(wider).substr(1, 16)));
}

TEST(RtfText, EveryByteReadsBackAsItself) {
  std::string text;
  for (int i = 0; i < 256; ++i) text += static_cast<char>(i);
  text += text;  // more than one step of sixteen past the first
  std::string document = "{\\rtf ";
  {
    StringAppender out(document);
    appendRtfCharacters(out, text);
  }
  document += '}';
  EXPECT_EQ(readRtf(document).text, text);
  EXPECT_EQ(holdsRtfSpecial(text), true);
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(holdsRtfSpecial(std::string(1, static_cast<char>(i))), special(static_cast<unsigned char>(i))) << i;
  }
}

}  // namespace
}  // namespace zarvex
