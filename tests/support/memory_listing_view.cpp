#include "memory_listing_view.h"

#include <algorithm>

namespace zarvex {

void MemoryListingView::setTextRtf(const std::string& text) {
  if (!looksLikeRtf(text)) return setPlainText(text);
  m_rtf = text;
  m_content.reset();
  m_selectionStart = 0;
  m_selectionLength = 0;
}

void MemoryListingView::setPlainText(const std::string& text) {
  m_rtf.reset();
  FormattedText content;
  content.text = text;
  m_content = std::move(content);
  m_selectionStart = 0;
  m_selectionLength = 0;
}

const FormattedText& MemoryListingView::content() const {
  if (!m_content) m_content = m_rtf ? readRtf(*m_rtf) : FormattedText{};
  return *m_content;
}

std::string MemoryListingView::plainText() const { return content().text; }

std::int32_t MemoryListingView::characterCount() const {
  return static_cast<std::int32_t>(std::min<std::size_t>(content().text.size(), INT32_MAX));
}

// Like a text control: the caret stays inside the text, and the selection
// inside what follows the caret.
void MemoryListingView::setSelectionStart(std::int32_t start) {
  m_selectionStart = std::clamp(start, 0, characterCount());
  m_selectionLength = 0;
}

void MemoryListingView::setSelectionLength(std::int32_t length) {
  m_selectionLength = std::clamp(length, 0, characterCount() - m_selectionStart);
}

}  // namespace zarvex
