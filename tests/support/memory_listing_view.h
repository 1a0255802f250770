// A listing view that keeps its content in memory: the view of the
// command-line tool and of the tests. RTF is read only when the plain text is
// asked for, so presenting a listing costs one copy.
#pragma once

#include <optional>
#include <string>

#include "listing_host.h"
#include "rtf_reader.h"

namespace zarvex {

class MemoryListingView : public ListingView {
 public:
  void setTextRtf(const std::string& text) override;
  std::string plainText() const override;
  void setPlainText(const std::string& text) override;

  std::int32_t selectionStart() const override { return m_selectionStart; }
  void setSelectionStart(std::int32_t start) override;
  std::int32_t selectionLength() const override { return m_selectionLength; }
  void setSelectionLength(std::int32_t length) override;

  // The content with its formatting (runs are empty for plain text).
  const FormattedText& content() const;
  // True when the last content set was RTF.
  bool showsRtf() const { return m_rtf.has_value(); }

 private:
  std::int32_t characterCount() const;

  std::optional<std::string> m_rtf;               // set while the content is RTF not yet read
  mutable std::optional<FormattedText> m_content;  // read from m_rtf on demand
  std::int32_t m_selectionStart = 0;
  std::int32_t m_selectionLength = 0;
};

}  // namespace zarvex
