// The listing as the files File > Save As and Export write: the RTF document
// as held, plain text, the AMOS editor's own text, or a web page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "listing_state.h"

namespace zarvex {

enum class ExportFormat {
  Rtf,   // the listing document, byte for byte
  Text,  // the characters shown, UTF-8, a line feed after every line
  Asc,   // the complete listing as the AMOS editor saves it: ISO-8859-1, LF after every line
  Html,  // one standalone UTF-8 page: the listing in a <pre> with the window's colours and bold
};

// The format a file name's type names (".rtf", ".txt", ".asc", ".html",
// ".htm", in any case), or nothing.
std::optional<ExportFormat> exportFormatOf(std::string_view fileName);

// The bytes of the listing held in `state` in `format`; `title` names the
// program (the page's title). Asc is made from the file image, whichever
// style the window shows, and is empty when the image is no AMOS program.
std::string exportListing(const ListingState& state, ExportFormat format, const std::string& title);

}  // namespace zarvex
