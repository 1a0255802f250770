// txtOutput: the read-only rich-text view that shows the listing.
//
// Takes the listing document as RTF (see decoder/rtf_reader.h for what is
// understood) or, when a text does not begin with an RTF header, as plain
// text. The characters go into the document once; bold and colours are laid
// over each paragraph as formats of its layout, which keeps loading a listing
// of tens of thousands of lines fast.
#pragma once

#include <QPlainTextEdit>
#include <string>

#include "listing_host.h"
#include "rtf_reader.h"

namespace zarvex {

class RichTextView : public QPlainTextEdit, public ListingView {
 public:
  explicit RichTextView(QWidget* parent = nullptr);

  // The gutter of line numbers at the left (View > Line Numbers).
  bool lineNumbersVisible() const { return m_lineNumbers; }
  void setLineNumbersVisible(bool visible);
  int gutterWidth() const;
  QWidget* gutter() const { return m_gutter; }
  // The line the caret is on, from 1, and the first line in sight.
  int currentLine() const;
  int firstVisibleLine() const;
  // True when the desktop's palette is dark: the listing's colours are then
  // lightened to stay readable on it.
  bool darkPalette() const;

  // ListingView; texts are one byte a character (ISO-8859-1).
  void setTextRtf(const std::string& text) override;
  std::string plainText() const override;
  void setPlainText(const std::string& text) override;
  // In place, while the characters are those the last RTF text set.
  bool restyle(const std::string* rtfDocument) override;
  std::int32_t selectionStart() const override;
  void setSelectionStart(std::int32_t start) override;
  std::int32_t selectionLength() const override;
  void setSelectionLength(std::int32_t length) override;

  // True when the content came from RTF (and may carry formatting).
  bool showsRtf() const { return m_showsRtf; }
  // The colour table of the current RTF content.
  const std::vector<RtfColour>& colourTable() const { return m_colours; }

  // View > Zoom: steps from the normal size (0, 8.25 points) up or down a
  // ladder of sizes; kept within the ladder.
  static constexpr int kSmallestZoom = -2;
  static constexpr int kLargestZoom = 11;
  int zoomStep() const { return m_zoomStep; }
  void setZoomStep(int step);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  friend class LineNumberGutter;
  void paintGutter(QPaintEvent* event);
  void updateGutterWidth();
  void applyRuns(const std::vector<RtfRun>& runs);
  void clearRuns();
  std::int32_t characterCount() const;

  bool m_showsRtf = false;
  bool m_lineNumbers = true;
  QWidget* m_gutter;
  int m_zoomStep = 0;
  std::vector<RtfColour> m_colours;
  // The formatting of the last RTF text set, kept so that it can be laid
  // over the same characters again: its runs and colours, a hash of the
  // text, and the document's revision when they were laid.
  std::vector<RtfRun> m_runs;
  std::vector<RtfColour> m_runColours;
  std::size_t m_runsHash = 0;
  int m_runsRevision = -1;
};

}  // namespace zarvex
