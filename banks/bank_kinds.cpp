#include "bank_kinds.h"

#include <algorithm>

#include "amal_bank.h"
#include "bank_text.h"
#include "menu_bank.h"
#include "music_bank.h"
#include "resource_bank.h"
#include "sample_bank.h"
#include "sprite_bank.h"
#include "tracker_bank.h"

namespace zarvex {

namespace {

std::string amal(const Bank& bank) { return amalSummary(bank, readAmalBank(bank)); }
std::string menu(const Bank& bank) { return menuSummary(bank, readMenuBank(bank)); }
std::string music(const Bank& bank) { return musicSummary(bank, readMusicBank(bank, false)); }
std::string tracker(const Bank& bank) { return trackerSummary(bank, readTrackerModule(bank)); }
std::string resource(const Bank& bank) {
  ResourceBank resources = readResourceTables(bank);
  readResourceMessages(bank, resources);
  readResourcePrograms(bank, resources);
  return resourceSummary(bank, resources);
}

// In the order of BankKind.
constexpr BankKindRules kRules[] = {
    {BankKind::Sprites, "images", spriteBankOutputs, nullptr},
    {BankKind::Icons, "images", spriteBankOutputs, nullptr},
    {BankKind::Samples, "samples", sampleBankOutputs, nullptr},
    {BankKind::PackedPicture, nullptr, packedPictureOutputs, nullptr},
    {BankKind::Amal, nullptr, amalBankOutputs, amal},
    {BankKind::Resource, nullptr, resourceBankOutputs, resource},
    {BankKind::Menu, nullptr, menuBankOutputs, menu},
    {BankKind::Tracker, nullptr, trackerBankOutputs, tracker},
    {BankKind::Music, nullptr, nullptr, music},
    {BankKind::Data, nullptr, nullptr, nullptr},
};

constexpr bool inKindOrder() {
  for (std::size_t i = 0; i < std::size(kRules); ++i) {
    if (static_cast<std::size_t>(kRules[i].kind) != i) return false;
  }
  return true;
}
static_assert(inKindOrder(), "one row a kind, in the order of BankKind");

std::string colourText(const PackedPicture& picture) {
  if (picture.holdAndModify()) return "hold-and-modify";
  if (picture.depth == 6) return "64 colours (half-bright)";
  return std::to_string(1 << std::min(picture.depth, 8)) + " colours";
}

}  // namespace

const BankKindRules& rulesOf(BankKind kind) { return kRules[static_cast<std::size_t>(kind)]; }

std::string bankListingLine(const Bank& bank) {
  std::string line = std::to_string(bank.number) + ' ' + bank.typeName + (bank.chip ? " chip " : " fast ") +
                     std::to_string(bank.bytes.size());
  const char* items = rulesOf(bank.kind).items;
  if (items != nullptr && bank.itemCount >= 0) line += ' ' + std::to_string(bank.itemCount) + ' ' + items;
  return line;
}

// The type name's bytes by the text rule: UTF-8 whatever they are.
static std::string typeText(const Bank& bank) {
  std::string text;
  appendBankText(text, {reinterpret_cast<const std::uint8_t*>(bank.typeName.data()), bank.typeName.size()});
  return text;
}

// "1 image", "4 images": the window's words (the tool's listing keeps its
// fixed form, which scripts read).
static std::string counted(std::int32_t count, const char* items) {
  std::string word = items;
  if (count == 1 && !word.empty() && word.back() == 's') word.pop_back();
  return std::to_string(count) + ' ' + word;
}

std::string bankListEntry(const Bank& bank) {
  std::string entry = std::to_string(bank.number);
  if (entry.size() < 2) entry.insert(0, 2 - entry.size(), ' ');
  entry += "  " + typeText(bank);
  const char* items = rulesOf(bank.kind).items;
  if (items != nullptr && bank.itemCount >= 0) entry += ", " + counted(bank.itemCount, items);
  return entry + ", " + std::to_string(bank.bytes.size()) + " bytes, " + (bank.chip ? "chip" : "fast");
}

std::optional<BankSummary> bankSummary(const Bank& bank) {
  const auto summary = rulesOf(bank.kind).summary;
  if (summary == nullptr) return std::nullopt;
  try {
    return BankSummary{summary(bank), false};
  } catch (const BankDamage& damage) {
    return BankSummary{std::to_string(bank.number) + ' ' + typeText(bank) + ": damaged: " + damage.what, true};
  }
}

std::string bankDescription(const Bank& bank, const PackedPicture* picture) {
  if (auto summary = bankSummary(bank)) return std::move(summary->line);
  std::string text = "Bank " + std::to_string(bank.number) + ": " + typeText(bank);
  if (picture != nullptr) {
    return text + ' ' + std::to_string(picture->picture.width) + " x " + std::to_string(picture->picture.height) +
           ", " + colourText(*picture);
  }
  const char* items = rulesOf(bank.kind).items;
  if (items != nullptr && bank.itemCount >= 0) return text + ", " + counted(bank.itemCount, items);
  return text + ", " + std::to_string(bank.bytes.size()) + " bytes";
}

}  // namespace zarvex
