// What a bank listing says of each bank, and the files its extraction
// writes, by name:
//   NAME.banks line:  "NUMBER TYPE chip|fast LENGTH[ N images| N samples]"
//   NAME.bankNN.abk                 the bank's bytes as they stand (NN: hex, 2 digits or more)
//   NAME.bankNN.imageMMM.png        each non-empty image of a sprite or icon bank
//   NAME.bankNN.picture.png         a packed picture
//   NAME.bankNN.sampleMMM.wav       each sample
// NAME is the whole name of the file the banks were read from.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "bank_picture.h"
#include "bank_set.h"

namespace zarvex {

// One line of the bank listing, without its line feed.
std::string bankListingLine(const Bank& bank);

// "NAME.bankNN".
std::string bankFileStem(const std::string& fileName, const Bank& bank);

// "STEM.KINDMMM.EXTENSION", as in "x.abk.bank01.image003.png".
std::string numberedOutputName(const std::string& stem, const char* kind, int number, const char* extension);

// A file of an extraction: bytes to write as they are, or a picture to
// write as an opaque RGB PNG.
struct BankOutput {
  std::string name;
  std::vector<std::uint8_t> bytes;
  const BankPicture* picture = nullptr;  // valid during the callback only
};

// Calls `write` for each file of `bank`'s extraction, in order: the bank
// itself first. Throws BankDamage when its content is damaged (the files
// before the damage have been given by then).
void forEachBankOutput(const std::string& fileName, const Bank& bank, const std::function<void(const BankOutput&)>& write);

}  // namespace zarvex
