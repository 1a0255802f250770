// AMAL banks ("Amal    "), made by the AMAL editor: recorded mouse
// movements (for PLay), AMAL programs (for Amal n,p) and one environment
// text the editor runs before testing them.
//
// Data layout (offsets from the data start): u32 P, the programs section;
// u16 M movement slots; M u16 offsets / 2 from offset 4 (0: empty slot); M
// u16 lengths (not needed); M 8-byte names. A movement at 4 + 2 * offset: u16
// speed, u16 w (the Y list's offset from the movement), 0, the X steps up to
// a 0 byte; the Y steps from w + 1 up to a 0 byte. The programs section: u16
// H, H + 1 u16 offsets / 2 from P + 2 (0: no program), then the environment;
// each text a u16 length and its bytes, lines ended by '~'.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "bank_outputs.h"
#include "bank_set.h"

namespace zarvex {

struct AmalMovement {
  int slot = 0;  // from 1
  std::span<const std::uint8_t> name;  // 8 bytes, blank-padded
  std::uint32_t speed = 0;  // fiftieths of a second a tick
  std::span<const std::uint8_t> x;  // step bytes: below 128 a move, else a pause
  std::span<const std::uint8_t> y;
};

struct AmalProgram {
  int number = 0;  // from 0
  std::span<const std::uint8_t> text;
};

struct AmalBank {
  int slotsInUse = 0;
  std::vector<AmalMovement> movements;
  std::vector<AmalProgram> programs;  // those with text
  std::span<const std::uint8_t> environment;
};

// Throws BankDamage when a read falls outside the bank's data.
AmalBank readAmalBank(const Bank& bank);

// The number of ticks a step list lasts: 1 a move, (c - 128) + 1 a pause c.
int amalSteps(std::span<const std::uint8_t> steps);

// The bank as text: a heading, the environment, the programs, then each
// movement with its steps ("+3", "-1", "w5" for a pause of 5 ticks).
std::string amalText(const Bank& bank, const AmalBank& amal);

// "B Amal: M movements, P programs, environment E lines".
std::string amalSummary(const Bank& bank, const AmalBank& amal);

// The outputs after the bank's own bytes, named from `stem` ("NAME.bankNN").
void amalBankOutputs(const std::string& stem, const Bank& bank, BankOutputSink& sink);

}  // namespace zarvex
