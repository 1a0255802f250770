// The files a bank's extraction makes, by name (NAME the whole name of the
// file the banks were read from, NN the bank number in hex, 2 digits or more):
//   NAME.bankNN.abk                 the bank's bytes as they stand (every bank)
//   NAME.bankNN.imageMMM.png        each non-empty image of a sprite or icon bank
//   NAME.bankNN.picture.png         a packed picture
//   NAME.bankNN.sampleMMM.wav       each sample
//   NAME.bankNN.amal.txt            an AMAL bank's movements and programs
//   NAME.bankNN.resourceMMM.png     each image of a resource bank, then its
//   NAME.bankNN.messages.txt        messages and
//   NAME.bankNN.programs.txt        Interface programs
//   NAME.bankNN.menu.txt            a menu bank's tree
//   NAME.bankNN.mod                 a tracker bank's module
// Both front ends write these: zarvex-list all of them, the bank viewer the
// one that holds what it shows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bank_picture.h"
#include "bank_set.h"

namespace zarvex {

// "NAME.bankNN".
std::string bankFileStem(const std::string& fileName, const Bank& bank);

// "STEM.KINDMMM.EXTENSION", as in "x.abk.bank01.image003.png".
std::string numberedOutputName(const std::string& stem, const char* kind, int number, const char* extension);

// A file of an extraction: bytes to write as they are, or a picture to
// write as an opaque PNG.
struct BankOutput {
  std::string name;
  std::vector<std::uint8_t> bytes;
  const BankPicture* picture = nullptr;  // valid while the output is handled only
};

// Takes a bank's outputs one by one. `wants` lets a caller that needs only
// some of them spare the making of the others.
class BankOutputSink {
 public:
  virtual ~BankOutputSink() = default;
  virtual bool wants(const std::string& name) const = 0;
  virtual void take(const BankOutput& output) = 0;
};

// Hands each output of `bank` to `sink`, in order: the bank itself first.
// Throws BankDamage when its content is damaged (the outputs before the
// damage have been handed over by then).
void forEachBankOutput(const std::string& fileName, const Bank& bank, BankOutputSink& sink);
void forEachBankOutput(const std::string& fileName, const Bank& bank, const std::function<void(const BankOutput&)>& take);

}  // namespace zarvex
