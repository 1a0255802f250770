// The bank reader on hand-built banks: headers, empty slots, colours, packed
// pictures, samples, and where the banks of a program are.
#include <gtest/gtest.h>

#include "amos_program_builder.h"
#include "bank_builder.h"
#include "bank_kinds.h"
#include "bank_outputs.h"
#include "bank_set.h"
#include "packed_picture.h"
#include "sample_bank.h"
#include "sprite_bank.h"

namespace zarvex {
namespace {

using testing::Bytes;

using testing::memoryBank;
using testing::put16;
using testing::put32;
void append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

Bytes spriteBank(const std::vector<testing::SpriteImageBytes>& images) {
  std::array<std::uint16_t, 32> palette;
  palette.fill(0x0FFF);
  palette[0] = 0x0000;
  palette[1] = 0x0F80;
  return testing::spriteBank(images, palette);
}

BankSet read(const Bytes& b) { return readBanks(b); }

TEST(BankReader, MemoryBankHeadersSayNumberMemoryLengthAndName) {
  const Bytes fast = memoryBank(7, 1, "Datas   ", Bytes(10, 0xEE));  // bit 31 set, yet fast
  const BankSet set = read(fast);
  ASSERT_EQ(set.banks.size(), 1u);
  EXPECT_FALSE(set.damaged);
  const Bank& bank = set.banks[0];
  EXPECT_EQ(bank.number, 7);
  EXPECT_FALSE(bank.chip);
  EXPECT_EQ(bank.typeName, "Datas");
  EXPECT_EQ(bank.bytes.size(), 30u);
  EXPECT_EQ(bank.data().size(), 10u);
  EXPECT_EQ(bankListingLine(bank), "7 Datas fast 30");
  EXPECT_EQ(bankFileStem("x.abk", bank), "x.abk.bank07");

  // Flags in the top bits are not part of the length.
  const Bytes chip = memoryBank(0xFFDC, 0, "Odd one ", Bytes(4, 1), 0x70000000);
  EXPECT_EQ(bankListingLine(read(chip).banks.at(0)), "65500 Odd one chip 24");
  EXPECT_EQ(bankFileStem("x.abk", read(chip).banks.at(0)), "x.abk.bankFFDC");
}

TEST(BankReader, SpriteImagesKeepTheirSlotsAndColoursComeFromThePalette) {
  // Slot 1 empty; slot 2 16 x 2 in 2 planes; slot 3 16 x 1 in 6 planes.
  Bytes twoPlanes = {0x80, 0x00, 0x00, 0x01,   // plane 0: line 0 pixel 0, line 1 pixel 15
                     0x80, 0x00, 0x00, 0x00};  // plane 1: line 0 pixel 0
  Bytes sixPlanes = {0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0};  // pixel 0: index 1 + 32
  const Bytes file = spriteBank({{0, 0, 0, {}}, {1, 2, 2, twoPlanes}, {1, 1, 6, sixPlanes}});
  const BankSet set = read(file);
  ASSERT_EQ(set.banks.size(), 1u);
  EXPECT_EQ(bankListingLine(set.banks[0]), "1 Sprites chip " + std::to_string(file.size()) + " 3 images");
  const SpriteBank sprites = readSpriteBank(set.banks[0]);
  ASSERT_EQ(sprites.images.size(), 3u);
  EXPECT_TRUE(sprites.images[0].empty());
  EXPECT_EQ(sprites.images[1].slot, 2);
  EXPECT_EQ(sprites.images[1].hotSpotX, 3);
  EXPECT_EQ(sprites.palette[1], 0xFF8800u);

  const BankPicture picture = spritePicture(sprites.images[1], sprites.palette);
  ASSERT_EQ(picture.width, 16);
  ASSERT_EQ(picture.height, 2);
  EXPECT_EQ(picture.index[0], 3);
  EXPECT_EQ(picture.index[16 + 15], 1);
  EXPECT_EQ(picture.rgb[16 + 15], 0xFF8800u);
  EXPECT_EQ(picture.index[1], 0) << "colour 0 is a colour too: the picture is not empty";
  // Indices past the 32 colours wrap round.
  EXPECT_EQ(spritePicture(sprites.images[2], sprites.palette).rgb[0], 0xFF8800u);

  // The extraction names every non-empty slot by its number.
  std::vector<std::string> names;
  forEachBankOutput("s.abk", set.banks[0], [&](const BankOutput& o) { names.push_back(o.name); });
  EXPECT_EQ(names, (std::vector<std::string>{"s.abk.bank01.abk", "s.abk.bank01.image002.png", "s.abk.bank01.image003.png"}));
}

TEST(BankReader, HoldAndModifyAndHalfBriteColours) {
  Palette palette{};
  palette[0] = 0x102030;
  palette[2] = 0x224466;
  // One line of 8 pixels in 6 planes: indices 2, 0x12 (blue 2), 0x23 (red 3), 0x35 (green 5), 34.
  std::vector<std::uint8_t> planes(6, 0);
  const std::uint8_t indices[] = {2, 0x12, 0x23, 0x35, 34};
  for (int x = 0; x < 5; ++x) {
    for (int p = 0; p < 6; ++p) {
      if ((indices[x] >> p) & 1) planes[static_cast<std::size_t>(p)] |= static_cast<std::uint8_t>(0x80 >> x);
    }
  }
  const BankPicture ham = planarPicture(planes, 1, 1, 6, palette, ExtraColours::HoldAndModify);
  EXPECT_EQ(ham.rgb[0], 0x224466u);
  EXPECT_EQ(ham.rgb[1], 0x224422u);
  EXPECT_EQ(ham.rgb[2], 0x334422u);
  EXPECT_EQ(ham.rgb[3], 0x335522u);
  const BankPicture halfBrite = planarPicture(planes, 1, 1, 6, palette, ExtraColours::HalfBrite);
  EXPECT_EQ(halfBrite.rgb[4], 0x112233u);  // $0246 halved is $0123
}

TEST(BankReader, EveryPlaneBitLandsOnItsPixelAtEveryDepth) {
  // Pixel (x, y) takes bit 7 - x % 8 of byte y * bytesPerLine + x / 8 of plane
  // p as bit p of its index; planes past the eighth add nothing.
  Palette palette{};
  for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = amigaColour(static_cast<std::uint32_t>(0x0FFF - i * 0x071));
  std::uint32_t seed = 12345;
  const auto random = [&] { return static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16); };
  for (int depth = 1; depth <= 9; ++depth) {
    for (int bytesPerLine : {1, 3}) {
      const int height = 4;
      const std::size_t planeSize = static_cast<std::size_t>(bytesPerLine * height);
      std::vector<std::uint8_t> planes(planeSize * static_cast<std::size_t>(depth));
      for (auto& byte : planes) byte = random();
      for (const ExtraColours extra : {ExtraColours::Wrap, ExtraColours::HalfBrite, ExtraColours::HoldAndModify}) {
        const BankPicture picture = planarPicture(planes, bytesPerLine, height, depth, palette, extra);
        const std::string what = "depth " + std::to_string(depth) + ", " + std::to_string(bytesPerLine) + " bytes a line";
        ASSERT_EQ(picture.width, bytesPerLine * 8) << what;
        ASSERT_EQ(picture.index.size(), static_cast<std::size_t>(bytesPerLine * 8 * height)) << what;
        ASSERT_EQ(picture.rgb.size(), picture.index.size()) << what;
        for (int y = 0; y < height; ++y) {
          std::uint32_t held = palette[0];
          for (int x = 0; x < picture.width; ++x) {
            int index = 0;
            for (int p = 0; p < depth && p < 8; ++p) {
              const std::uint8_t byte = planes[planeSize * static_cast<std::size_t>(p) +
                                               static_cast<std::size_t>(y * bytesPerLine + x / 8)];
              index |= ((byte >> (7 - x % 8)) & 1) << p;
            }
            const std::size_t at = static_cast<std::size_t>(y * picture.width + x);
            ASSERT_EQ(picture.index[at], index) << what << " at " << x << "," << y;
            std::uint32_t colour = palette[static_cast<std::size_t>(index % 32)];
            if (extra == ExtraColours::HalfBrite && index >= 32 && index < 64) {
              const std::uint32_t full = palette[static_cast<std::size_t>(index - 32)];
              colour = ((full >> 16 & 0xFF) / 17 / 2 * 17) << 16 | ((full >> 8 & 0xFF) / 17 / 2 * 17) << 8 |
                       (full & 0xFF) / 17 / 2 * 17;
            } else if (extra == ExtraColours::HoldAndModify) {
              const std::uint32_t value = static_cast<std::uint32_t>(index & 15) * 17;
              const int control = index >> 4 & 3;
              held = control == 0   ? palette[static_cast<std::size_t>(index & 15)]
                     : control == 1 ? (held & 0xFFFF00) | value
                     : control == 2 ? (held & 0x00FFFF) | value << 16
                                    : (held & 0xFF00FF) | value << 8;
              colour = held;
            }
            ASSERT_EQ(picture.rgb[at], colour) << what << " at " << x << "," << y;
          }
        }
      }
    }
  }
}

TEST(BankReader, PackedPictureStreamsUnpackIntoPlanes) {
  // 8 x 2 pixels, 1 plane, one block of 2 lines, no screen header: grey levels.
  Bytes data;
  put32(data, 0x06071963);
  for (std::uint16_t v : {0, 0, 1, 1, 2, 1}) put16(data, static_cast<std::uint16_t>(v));
  put32(data, 24 + 2);      // RLE after two picture bytes
  put32(data, 24 + 2 + 1);  // POINTS after the RLE byte
  append(data, {0xAA, 0x55, 0x40, 0x00});
  const Bytes file = memoryBank(10, 1, "Pac.Pic.", data);
  const PackedPicture packed = unpackPicture(read(file).banks.at(0));
  EXPECT_FALSE(packed.screenHeader);
  ASSERT_EQ(packed.picture.width, 8);
  ASSERT_EQ(packed.picture.height, 2);
  EXPECT_EQ(packed.picture.index[0], 1);  // 0xAA
  EXPECT_EQ(packed.picture.index[1], 0);
  EXPECT_EQ(packed.picture.index[8], 0);  // 0x55
  EXPECT_EQ(packed.picture.index[9], 1);
  EXPECT_EQ(packed.picture.rgb[0], 0x111111u);

  // A stream offset past the bank's end is damage, not a read outside it.
  Bytes bad = data;
  bad[19] = 0x7F;
  EXPECT_THROW(unpackPicture(read(memoryBank(10, 1, "Pac.Pic.", bad)).banks.at(0)), BankDamage);
  // So are sizes that ask for an enormous picture from a few bytes.
  Bytes huge = data;
  huge[8] = huge[9] = huge[10] = huge[11] = huge[12] = huge[13] = 0xFF;
  EXPECT_THROW(unpackPicture(read(memoryBank(10, 1, "Pac.Pic.", huge)).banks.at(0)), BankDamage);
}

TEST(BankReader, SamplesHaveNamesRatesAndSoundsAndBecomeWavFiles) {
  Bytes data;
  put16(data, 1);
  put32(data, 6);
  append(data, {'C', 'l', 'i', 'c', 'k', ' ', ' ', 1});
  put16(data, 8860);
  put32(data, 3);
  append(data, {0x00, 0x7F, 0x80});
  const Bytes file = memoryBank(5, 0, "Samples ", data);
  const Bank bank = read(file).banks.at(0);
  EXPECT_EQ(bankListingLine(bank), "5 Samples chip 43 1 samples");
  const auto samples = readSamples(bank);
  ASSERT_EQ(samples.size(), 1u);
  EXPECT_EQ(samples[0].name, "Click");
  EXPECT_EQ(samples[0].rate, 8860u);
  const auto wav = wavFile(samples[0]);
  ASSERT_EQ(wav.size(), 44u + 3 + 1);
  EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
  EXPECT_EQ(wav[24] | wav[25] << 8, 8860);
  EXPECT_EQ((Bytes{wav[44], wav[45], wav[46]}), (Bytes{0x80, 0xFF, 0x00})) << "signed becomes unsigned";

  Bytes bad = data;
  bad[17] = 0x40;  // the sound's length runs past the bank
  EXPECT_THROW(readSamples(read(memoryBank(5, 0, "Samples ", bad)).banks.at(0)), BankDamage);
}

TEST(BankReader, AProgramsBanksFollowItsLines) {
  const auto lines = std::vector<testing::TokenLine>{testing::TokenLine().token(0x0476)};
  Bytes program = testing::amosFile(lines);  // ends with an empty bank set
  EXPECT_TRUE(read(program).banks.empty());
  EXPECT_FALSE(read(program).damaged);
  program.resize(program.size() - 6);  // no bank set at all
  EXPECT_FALSE(read(program).damaged);

  Bytes two = program;
  append(two, {'A', 'm', 'B', 's', 0, 2});
  append(two, memoryBank(3, 1, "Data    ", {1, 2}));
  const BankSet set = read(two);
  ASSERT_EQ(set.banks.size(), 1u) << "the bank before the damage is kept";
  EXPECT_EQ(set.banks[0].offset, program.size() + 6);
  EXPECT_TRUE(set.damaged);
  EXPECT_EQ(set.damageOffset, static_cast<std::int64_t>(two.size()));

  Bytes junk = program;
  append(junk, {'J', 'U', 'N', 'K', 0, 0});
  EXPECT_TRUE(read(junk).damaged);
  EXPECT_EQ(bankSourceOf(Bytes{'G', 'I', 'F', '8'}), BankSource::Unknown);
  EXPECT_TRUE(read(Bytes{'G', 'I', 'F', '8'}).damaged);
}

}  // namespace
}  // namespace zarvex
