// Resource banks ("Resource"): AMOS Professional's interface resources, up
// to three chunks found through a table at the data's start (u16 count C,
// C u32 offsets, C u32 lengths; chunk k >= C or offset 0 is absent):
//   0 graphics: u16 N, N u32 image offsets (from the chunk), the screen's
//     colour count and display mode, a 32-colour palette, then the images,
//     each a packed picture coloured by that palette;
//   1 messages: entries of a byte, a length byte n and n bytes of text, up to
//     a length byte of $FF; numbered from 1;
//   2 programs: u16 Q, Q u32 offsets (from the chunk); each program a u16
//     length L and Interface text up to its first 0 byte or L bytes, with a
//     16-byte name before it when "JBB." marks one.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bank_outputs.h"
#include "bank_set.h"
#include "packed_picture.h"

namespace zarvex {

struct ResourceImage {
  int number = 0;          // from 1, as Resource Unpack numbers it
  std::size_t offset = 0;  // of its headers, from the bank's start
};

struct ResourceProgram {
  int number = 0;  // from 1
  std::optional<std::span<const std::uint8_t>> name;  // 16 bytes, blank-padded
  std::span<const std::uint8_t> text;
};

struct ResourceBank {
  std::uint64_t chunks[3] = {};  // graphics, messages, programs: offsets in the data, 0 when absent
  std::vector<ResourceImage> images;
  std::uint64_t coloursAt = 0;  // the graphics chunk's colour count, mode and palette
  PictureColours colours;  // read only when there is an image
  std::vector<std::span<const std::uint8_t>> messages;
  std::vector<ResourceProgram> programs;
};

// Each part read alone, so that the outputs of one are made before the next
// is read. Every reader throws BankDamage when a read falls outside the
// bank's data.
// The chunk table and the image table (images located, not unpacked).
ResourceBank readResourceTables(const Bank& bank);
// The images' display mode and palette (nothing without images).
void readResourceColours(const Bank& bank, ResourceBank& resources);
void readResourceMessages(const Bank& bank, ResourceBank& resources);
void readResourcePrograms(const Bank& bank, ResourceBank& resources);
// All of the above.
ResourceBank readResourceBank(const Bank& bank);

// Image `image` unpacked; throws BankDamage.
BankPicture resourcePicture(const Bank& bank, const ResourceBank& resources, const ResourceImage& image);

// "N: TEXT" a message, a line each.
std::string resourceMessagesText(const ResourceBank& resources);

// "Program J "NAME": L bytes", then its lines (split at LF) indented by two blanks.
std::string resourceProgramsText(const ResourceBank& resources);

// "B Resource: I images, S messages, R programs".
std::string resourceSummary(const Bank& bank, const ResourceBank& resources);

// The outputs after the bank's own bytes, named from `stem` ("NAME.bankNN").
void resourceBankOutputs(const std::string& stem, const Bank& bank, BankOutputSink& sink);

}  // namespace zarvex
