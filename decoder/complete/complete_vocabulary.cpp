#include "complete_vocabulary.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "rtf_text.h"

namespace zarvex {

namespace {


constexpr CompleteToken kTokens[] = {
#define ZARVEX_COMPLETE_TOKEN_ROW(code, keyword, payload, blank) \
  {code, keyword, TokenPayload::payload, BlankRule::blank, holdsRtfSpecial(keyword)},
#include "complete_vocabulary.inc"
#undef ZARVEX_COMPLETE_TOKEN_ROW
};

constexpr ExtensionKeyword kExtensions[] = {
#define ZARVEX_COMPLETE_EXTENSION_ROW(slot, offset, keyword, blank) \
  {slot, offset, keyword, BlankRule::blank, holdsRtfSpecial(keyword)},
#include "complete_vocabulary.inc"
#undef ZARVEX_COMPLETE_EXTENSION_ROW
};

static_assert(std::size(kTokens) < 0xFFFF, "row numbers are kept in 16 bits");

constexpr std::uint32_t extensionKey(std::uint8_t slot, std::uint16_t offset) {
  return std::uint32_t{slot} << 16 | offset;
}

static_assert(std::is_sorted(std::begin(kExtensions), std::end(kExtensions),
                             [](const ExtensionKeyword& a, const ExtensionKeyword& b) {
                               return extensionKey(a.slot, a.offset) < extensionKey(b.slot, b.offset);
                             }),
              "extension rows are sorted by slot and offset");

}  // namespace

constexpr std::array<std::uint16_t, 65536> CompleteVocabulary::kIndex = [] {
  std::array<std::uint16_t, 65536> index{};
  for (std::size_t i = 0; i < std::size(kTokens); ++i) index[kTokens[i].code] = static_cast<std::uint16_t>(i + 1);
  return index;
}();
const CompleteToken* const CompleteVocabulary::kTokenData = kTokens;

const ExtensionKeyword* CompleteVocabulary::extension(std::uint8_t slot, std::uint16_t offset) {
  const std::uint32_t key = extensionKey(slot, offset);
  const auto* row = std::lower_bound(std::begin(kExtensions), std::end(kExtensions), key,
                                     [](const ExtensionKeyword& k, std::uint32_t wanted) {
                                       return extensionKey(k.slot, k.offset) < wanted;
                                     });
  return row != std::end(kExtensions) && extensionKey(row->slot, row->offset) == key ? row : nullptr;
}

std::span<const CompleteToken> CompleteVocabulary::tokens() { return kTokens; }
std::span<const ExtensionKeyword> CompleteVocabulary::extensions() { return kExtensions; }

}  // namespace zarvex
