// Reading an RTF text into characters and formatted runs.
//
// Understands what the listing document uses (the colour table, \b, \cf with
// an index, \par, \plain, the escaped backslash and braces, carriage returns
// and line feeds that are layout only) and reads past everything else: any
// other control word or symbol is ignored, and groups that hold no text
// (font tables, style sheets, pictures, \* destinations) are skipped whole.
// It never fails: unbalanced braces and a truncated text are taken as they come.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarvex {

struct RtfColour {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool automatic = true;  // the empty entry: the view's default text colour
};

// A stretch of characters that share one format.
struct RtfRun {
  std::size_t start = 0;   // in characters of FormattedText::text
  std::size_t length = 0;
  bool bold = false;
  int colour = 0;          // index into the colour table; 0 = default colour
};

struct FormattedText {
  std::string text;  // one byte a character (ISO-8859-1); '\n' for each \par
  std::vector<RtfRun> runs;  // only the runs that carry formatting
  std::vector<RtfColour> colours;
};

// True when `text` begins with an RTF header ("{\rtf").
bool looksLikeRtf(std::string_view text);

// Reads an RTF text. Bytes of the RTF text are characters (ISO-8859-1).
FormattedText readRtf(std::string_view rtf);

}  // namespace zarvex
