#include "packed_picture.h"

#include "big_endian.h"

namespace zarvex {

namespace {


constexpr std::size_t kDataStart = 20;  // after the memory bank's header
constexpr std::size_t kScreenHeader = 90;
constexpr std::size_t kPictureHeader = 24;

bool isScreenMagic(std::uint32_t magic) {
  return magic == 0x12031990 || magic == 0x00031990 || magic == 0x12030090;
}
bool isPictureMagic(std::uint32_t magic) { return magic == 0x06071963 || magic == 0x06070063; }

class Unpacker {
 public:
  explicit Unpacker(std::span<const std::uint8_t> bank) : m_bank(bank) {}

  // The picture whose headers start at `at`; `colours`, when given, replaces
  // the screen header's palette and display mode (or the grey levels).
  PackedPicture run(std::size_t at, const PictureColours* colours) {
    PackedPicture result;
    need(at, 4, "the picture's header is cut short");
    if (isScreenMagic(u32At(m_bank.data() + at))) {
      need(at, kScreenHeader, "the screen header is cut short");
      const std::uint8_t* s = m_bank.data() + at;
      result.screenHeader = true;
      result.screenWidth = static_cast<int>(u16At(s + 4));
      result.screenHeight = static_cast<int>(u16At(s + 6));
      result.displayMode = static_cast<std::uint16_t>(u16At(s + 20));
      result.palette = readPalette(s + 26);
      at += kScreenHeader;
    } else {
      for (std::size_t i = 0; i < result.palette.size(); ++i) result.palette[i] = amigaColour((i % 16) * 0x111);
    }
    if (colours != nullptr) {
      result.palette = colours->palette;
      result.displayMode = colours->displayMode;
    }
    need(at, kPictureHeader, "the picture header is cut short");
    const std::uint8_t* h = m_bank.data() + at;
    if (!isPictureMagic(u32At(h))) fail(at, "no picture header where one should be");
    const std::size_t bytesPerLine = u16At(h + 8);
    const std::size_t blocks = u16At(h + 10);
    const std::size_t linesPerBlock = u16At(h + 12);
    const std::size_t depth = u16At(h + 14);
    const std::size_t height = blocks * linesPerBlock;
    if (bytesPerLine == 0 || height == 0 || depth == 0 || depth > 8 ||
        static_cast<std::int64_t>(bytesPerLine * 8 * height) > kMaxPackedPixels) {
      fail(at + 8, "the picture's sizes make no picture");
    }
    result.depth = static_cast<int>(depth);

    const std::vector<std::uint8_t> planes =
        unpackPlanes(at + kPictureHeader, at + u32At(h + 16), at + u32At(h + 20), bytesPerLine, blocks,
                     linesPerBlock, depth);
    const ExtraColours extra = result.holdAndModify()                  ? ExtraColours::HoldAndModify
                               : depth == 6                            ? ExtraColours::HalfBrite
                                                                       : ExtraColours::Wrap;
    result.picture = planarPicture(planes, static_cast<int>(bytesPerLine), static_cast<int>(height),
                                   static_cast<int>(depth), result.palette, extra);
    return result;
  }

 private:
  // The bit planes from the three streams: picture bytes, run bits and
  // the bits that say when the next run byte is taken. Out of line, so that
  // the fuzzing build can leave this loop untraced by name.
  [[gnu::noinline]] std::vector<std::uint8_t> unpackPlanes(std::size_t picture, std::size_t runs, std::size_t points,
                                         std::size_t bytesPerLine, std::size_t blocks, std::size_t linesPerBlock,
                                         std::size_t depth) const {
    const std::size_t height = blocks * linesPerBlock;
    std::vector<std::uint8_t> planes(bytesPerLine * height * depth);
    std::uint8_t pic = next(picture);
    std::uint8_t rle = next(runs);
    if ((peek(points) & 0x80) != 0) rle = next(runs);
    int runBit = 7;
    int pointBit = 6;
    for (std::size_t plane = 0; plane < depth; ++plane) {
      std::uint8_t* target = planes.data() + plane * bytesPerLine * height;
      for (std::size_t row = 0; row < blocks; ++row) {
        for (std::size_t column = 0; column < bytesPerLine; ++column) {
          for (std::size_t line = 0; line < linesPerBlock; ++line) {
            if ((rle >> runBit & 1) != 0) pic = next(picture);
            --runBit;
            target[(row * linesPerBlock + line) * bytesPerLine + column] = pic;
            if (runBit < 0) {
              runBit = 7;
              if ((peek(points) >> pointBit & 1) != 0) rle = next(runs);
              if (--pointBit < 0) {
                pointBit = 7;
                ++points;
              }
            }
          }
        }
      }
    }
    return planes;
  }

  [[noreturn]] void fail(std::size_t offset, const char* what) const {
    throw BankDamage{static_cast<std::int64_t>(std::min(offset, m_bank.size())), what};
  }
  void need(std::size_t offset, std::size_t count, const char* what) const {
    if (offset > m_bank.size() || count > m_bank.size() - offset) fail(offset, what);
  }
  std::uint8_t peek(std::size_t at) const {
    if (at >= m_bank.size()) fail(at, "a stream of the picture runs past the bank's end");
    return m_bank[at];
  }
  std::uint8_t next(std::size_t& at) const { return peek(at++); }

  std::span<const std::uint8_t> m_bank;
};

}  // namespace

PackedPicture unpackPicture(const Bank& bank) { return Unpacker(bank.bytes).run(kDataStart, nullptr); }

PackedPicture unpackPictureAt(const Bank& bank, std::size_t offset, const PictureColours& colours) {
  return Unpacker(bank.bytes).run(offset, &colours);
}

}  // namespace zarvex

namespace zarvex {

void packedPictureOutputs(const std::string& stem, const Bank& bank, BankOutputSink& sink) {
  std::string name = stem + ".picture.png";
  if (!sink.wants(name)) return;
  const PackedPicture packed = unpackPicture(bank);
  sink.take({std::move(name), {}, &packed.picture});
}

}  // namespace zarvex
