// The sounds of a sample bank ("Samples "): a u16 count, a u32 offset for
// each sample (from the bank's data, offset 20), and at each offset 8 bytes
// of name, a u16 playback rate in Hz, a u32 length N and N bytes of signed
// 8-bit mono sound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bank_outputs.h"
#include "bank_set.h"

namespace zarvex {

struct Sample {
  int slot = 0;          // from 1
  std::string name;      // up to the first byte below 32, trailing blanks dropped
  std::uint32_t rate = 0;
  std::span<const std::uint8_t> sound;  // signed 8-bit

  double seconds() const { return rate == 0 ? 0.0 : static_cast<double>(sound.size()) / rate; }
};

// The samples of `bank`. Throws BankDamage (offsets from the bank's start)
// when a table entry or a sound points outside the bank.
std::vector<Sample> readSamples(const Bank& bank);

// The sample as a WAV file: 8-bit unsigned mono at its rate.
std::vector<std::uint8_t> wavFile(const Sample& sample);

// The outputs after the bank's own bytes, named from `stem` ("NAME.bankNN").
void sampleBankOutputs(const std::string& stem, const Bank& bank, BankOutputSink& sink);

}  // namespace zarvex
