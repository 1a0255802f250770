// The state a load leaves in the main window: the file image and the listing
// document. Each load replaces it; it lives until the program ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "text_sink.h"

namespace zarvex {

struct ListingState {
  // The file image: index i holds file byte i, and index FileLength holds an
  // extra zero byte that bounds the header text.
  std::vector<std::uint8_t> FileBytes;
  std::int32_t FileLength = 0;
  // The listing document in its highlighted (RTF) form, one byte a character.
  std::string RtfDocument;
  // The listing as plain text, the characters the document shows
  // (ISO-8859-1, "\n" after every line), built beside the document by either
  // style, so that plain text never needs the document read back.
  std::string PlainListing;
  // What a load makes: a host that prints only one of the two leaves the
  // other out, and its string stays empty (the document's header and "}"
  // apart). The window wants both.
  bool WantsDocument = true;
  bool WantsPlainListing = true;
  // When set, the plain listing goes here piece by piece as it is made, and
  // PlainListing stays empty.
  TextSink* PlainListingSink = nullptr;
  // When set (with WantsDocument), the document goes here piece by piece as
  // it is made, its header first and its "}" last, and RtfDocument stays
  // empty.
  TextSink* RtfDocumentSink = nullptr;
};

}  // namespace zarvex
