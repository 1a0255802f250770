#include "listing_export.h"

#include <cstdio>

#include "complete_walk.h"
#include "latin1_text.h"
#include "rtf_reader.h"
#include "rtf_text.h"

namespace zarvex {

std::optional<ExportFormat> exportFormatOf(std::string_view fileName) {
  const auto dot = fileName.find_last_of('.');
  if (dot == std::string_view::npos) return std::nullopt;
  std::string type;
  for (char c : fileName.substr(dot + 1)) type.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c);
  if (type == "rtf") return ExportFormat::Rtf;
  if (type == "txt") return ExportFormat::Text;
  if (type == "asc") return ExportFormat::Asc;
  if (type == "html" || type == "htm") return ExportFormat::Html;
  return std::nullopt;
}

namespace {

// One ISO-8859-1 character as HTML text. Characters a page may not hold
// (controls other than the line feed) show as their Unicode control pictures.
void appendHtmlCharacter(std::string& out, unsigned char c) {
  switch (c) {
    case '&': out += "&amp;"; return;
    case '<': out += "&lt;"; return;
    case '>': out += "&gt;"; return;
    case '"': out += "&quot;"; return;
    case '\n': out += '\n'; return;
    default: break;
  }
  if (c < 0x20 || c == 0x7F) {
    const unsigned picture = c == 0x7F ? 0x2421 : 0x2400 + c;  // U+2400..U+241F, U+2421
    out.push_back(static_cast<char>(0xE0 | (picture >> 12)));
    out.push_back(static_cast<char>(0x80 | ((picture >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (picture & 0x3F)));
    return;
  }
  if (c >= 0x80 && c < 0xA0) {
    out += "\xEF\xBF\xBD";  // U+FFFD: the C1 controls have no place in a page
    return;
  }
  const char latin1 = static_cast<char>(c);
  out += latin1ToUtf8(std::string_view(&latin1, 1));
}

// True when `text` is well-formed UTF-8.
bool isUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t more = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
    } else if ((c & 0xF0) == 0xE0) {
      more = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
    } else if (c >= 0x80) {
      return false;
    }
    if (text.size() - i <= more) return false;
    for (std::size_t k = 1; k <= more; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += 1 + more;
  }
  return true;
}

std::string htmlPage(const FormattedText& listing, const std::string& title) {
  std::string page =
      "<!DOCTYPE html>\n"
      "<html lang=\"en\">\n"
      "<head>\n"
      "<meta charset=\"utf-8\"/>\n"
      "<title>";
  // A file name is the system's bytes: UTF-8 on today's systems, taken as
  // Latin-1 only when it is not (an Amiga name copied as it was).
  for (unsigned char c : isUtf8(title) ? title : latin1ToUtf8(title)) {
    if (c == '&') page += "&amp;";
    else if (c == '<') page += "&lt;";
    else if (c == '>') page += "&gt;";
    else page.push_back(static_cast<char>(c));
  }
  page +=
      "</title>\n"
      "<style>pre { font-family: \"Courier New\", monospace; }</style>\n"
      "</head>\n"
      "<body>\n"
      "<pre>";
  std::size_t done = 0;
  const auto plain = [&](std::size_t end) {
    for (; done < end; ++done) appendHtmlCharacter(page, static_cast<unsigned char>(listing.text[done]));
  };
  for (const RtfRun& run : listing.runs) {
    plain(run.start);
    std::string style;
    if (run.colour > 0 && static_cast<std::size_t>(run.colour) < listing.colours.size() &&
        !listing.colours[static_cast<std::size_t>(run.colour)].automatic) {
      const RtfColour& c = listing.colours[static_cast<std::size_t>(run.colour)];
      char colour[24];
      std::snprintf(colour, sizeof colour, "color: #%02x%02x%02x;", c.red, c.green, c.blue);
      style += colour;
    }
    if (run.bold) style += style.empty() ? "font-weight: bold;" : " font-weight: bold;";
    if (style.empty()) {
      plain(run.start + run.length);
      continue;
    }
    page += "<span style=\"" + style + "\">";
    plain(run.start + run.length);
    page += "</span>";
  }
  plain(listing.text.size());
  page += "</pre>\n</body>\n</html>\n";
  return page;
}

// The listing document as a word processor wants it: the character set named
// (Windows-1252, whose printable bytes 160-255 are Latin-1's), a font table
// naming a monospaced font so that the columns line up, and every byte above
// 127 written as \'xx. The window and `--rtf` keep the document as it is.
std::string rtfFile(const std::string& document) {
  if (!document.starts_with(kRtfHeader)) return document;
  std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset0 Courier New;}}";
  out += kRtfHeader.substr(5);  // the colour table
  out += "\\f0\\fs18 ";
  static constexpr char kHex[] = "0123456789abcdef";
  for (std::size_t i = kRtfHeader.size(); i < document.size(); ++i) {
    const auto c = static_cast<unsigned char>(document[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out += "\\'";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

}  // namespace

std::string exportListing(const ListingState& state, ExportFormat format, const std::string& title) {
  switch (format) {
    case ExportFormat::Rtf:
      return rtfFile(state.RtfDocument);
    case ExportFormat::Text:
      return latin1ToUtf8(state.PlainListing);
    case ExportFormat::Asc: {
      const std::span<const std::uint8_t> file(state.FileBytes.data(), static_cast<std::size_t>(std::max(0, state.FileLength)));
      if (!startsLikeAmosProgram(file)) return {};
      return WalkCompleteListing(file).text;
    }
    case ExportFormat::Html:
      return htmlPage(readRtf(state.RtfDocument), title);
  }
  return {};
}

}  // namespace zarvex
