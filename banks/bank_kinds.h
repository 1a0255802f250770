// What Zarvex knows of each kind of bank, in one table: how to describe it,
// the summary line of the kinds that have one, and the outputs its
// extraction makes. Adding a kind means a reader, a row here and a view.
#pragma once

#include <optional>
#include <string>

#include "bank_outputs.h"
#include "bank_set.h"
#include "packed_picture.h"

namespace zarvex {

struct BankKindRules {
  BankKind kind;
  const char* items;  // what itemCount counts ("images", "samples"), or nullptr
  // The outputs after the bank's own bytes, for a bank stem "NAME.bankNN";
  // nullptr for kinds with none. Throws BankDamage.
  void (*outputs)(const std::string& stem, const Bank& bank, BankOutputSink& sink);
  // "B TYPE: ..." for the kinds read in depth; nullptr for the others.
  // Throws BankDamage.
  std::string (*summary)(const Bank& bank);
};

const BankKindRules& rulesOf(BankKind kind);

// The tool's bank listing line: "NUMBER TYPE chip|fast LENGTH[ N images| N samples]".
std::string bankListingLine(const Bank& bank);

// The window's bank strip entry: "NN  TYPE, N images, LENGTH bytes, chip".
std::string bankListEntry(const Bank& bank);

// The summary line of a kind that has one ("4 Amal: 1 movements, ..."), or
// "B TYPE: damaged: REASON"; nothing for the other kinds.
struct BankSummary {
  std::string line;
  bool damaged = false;
};
std::optional<BankSummary> bankSummary(const Bank& bank);

// One line that says what the bank holds: the summary line where there is
// one, else "Bank 5: Pac.Pic. 320 x 200, 16 colours", "Bank 1: Sprites, 4
// images"... `picture` is a packed-picture bank's picture, if it unpacked.
std::string bankDescription(const Bank& bank, const PackedPicture* picture = nullptr);

}  // namespace zarvex
