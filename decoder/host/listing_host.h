// What the decoder and the highlight switch need of the program that hosts
// them: the window, the command-line tool, or a test.
//
// Text conventions: the view's content and the listing document are one byte
// a character (ISO-8859-1), as the source file's bytes are; titles and
// message texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace zarvex {

// The rich-text view that shows the listing.
class ListingView {
 public:
  virtual ~ListingView() = default;

  // Replaces the content from an RTF text; the empty text empties the view,
  // and a text that does not begin with an RTF header is shown as plain text.
  virtual void setTextRtf(const std::string& text) = 0;
  // The characters shown, each paragraph break as "\n", no formatting.
  virtual std::string plainText() const = 0;
  // Replaces the content with unformatted text ("\n" breaks paragraphs).
  virtual void setPlainText(const std::string& text) = 0;

  // Restyles the characters shown without setting them anew: with the
  // formatting of `rtfDocument` when they are that document's text as it
  // last set them, or with none when `rtfDocument` is null. False when the
  // view cannot; it then shows what it showed, and the caller sets the text.
  virtual bool restyle(const std::string* rtfDocument) {
    (void)rtfDocument;
    return false;
  }

  // Caret position and selection length, in characters.
  virtual std::int32_t selectionStart() const = 0;
  virtual void setSelectionStart(std::int32_t start) = 0;
  virtual std::int32_t selectionLength() const = 0;
  virtual void setSelectionLength(std::int32_t length) = 0;
};

enum class MessageButtons { Ok, OkCancel };
enum class MessageAnswer { Ok, Cancel };

class ListingHost {
 public:
  virtual ~ListingHost() = default;

  // The program's title, "Zarvex".
  virtual std::string programTitle() const = 0;
  virtual void setWindowTitle(const std::string& title) = 0;

  // The tick of Options > Highlight: ticked means the listing is highlighted.
  virtual bool highlightTicked() const = 0;
  virtual void setHighlightTicked(bool ticked) = 0;

  virtual ListingView& view() = 0;

  // A modal message box with the program's title as caption and no icon;
  // returns the button pressed (always Ok for MessageButtons::Ok).
  virtual MessageAnswer showMessage(const std::string& text, MessageButtons buttons) = 0;

  // The closing note of a load: the count of extension and undecodable
  // tokens. A message box, unless the host tells it another way.
  virtual void showLoadSummary(const std::string& text) { showMessage(text, MessageButtons::Ok); }

  // Whether a load from a path first makes the program's own folder the
  // current one, as the window does. A tool that takes its paths relative to
  // where it was started says no, and saves a change of folder a file.
  virtual bool entersProgramFolder() const { return true; }
};

}  // namespace zarvex
