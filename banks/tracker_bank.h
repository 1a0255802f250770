// Tracker banks ("Tracker "), made by Track Load: a 31-sample, 4-channel
// ProTracker module as the file held it, then 32 bytes that are not part of
// it. The module: a 20-byte title, 31 sample records of 30 bytes (22 bytes of
// name, u16 length in words, ...), the song's length at 950, 128 pattern
// numbers at 952, a signature at 1080 ("M.K.", "M!K!", "FLT4", "4CHN"), the
// patterns (1024 bytes each), then the samples.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "bank_outputs.h"
#include "bank_set.h"

namespace zarvex {

struct TrackerSample {
  int number = 0;  // from 1
  std::span<const std::uint8_t> name;  // up to its first 0 byte
  std::uint32_t length = 0;  // in bytes
};

struct TrackerModule {
  std::span<const std::uint8_t> bytes;  // the module alone: what a .mod file holds
  std::span<const std::uint8_t> title;  // up to its first 0 byte, trailing blanks dropped
  int patterns = 0;
  int positions = 0;
  std::vector<TrackerSample> samples;  // all 31 records
};

// Throws BankDamage when the data is not a module of that kind or is
// shorter than the module it describes.
TrackerModule readTrackerModule(const Bank& bank);

// "B Tracker: "TITLE", P patterns, S positions, K samples, N bytes".
std::string trackerSummary(const Bank& bank, const TrackerModule& module);

// The outputs after the bank's own bytes, named from `stem` ("NAME.bankNN").
void trackerBankOutputs(const std::string& stem, const Bank& bank, BankOutputSink& sink);

}  // namespace zarvex
