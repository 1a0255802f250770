#include "png_encoder.h"

#include <png.h>
#include <zlib.h>

#include <array>
#include <csetjmp>
#include <stdexcept>
#include <string>

#include "shared_library.h"

namespace zarvex {

namespace {

#define ZARVEX_PNG_ENTRIES(X)                                                                                 \
  X(png_create_write_struct) X(png_create_info_struct) X(png_destroy_write_struct) X(png_set_longjmp_fn)    \
  X(png_set_write_fn) X(png_get_io_ptr) X(png_set_IHDR) X(png_set_PLTE) X(png_set_filter)                    \
  X(png_set_compression_level) X(png_set_compression_mem_level) X(png_write_info) X(png_set_packing)         \
  X(png_write_image) X(png_write_end)

// libpng, loaded the first time a picture is encoded: a listing needs
// neither it nor the maths library it brings.
ZARVEX_LIBRARY_API(PngApi, ZARVEX_LIBPNG_SONAME, ZARVEX_PNG_ENTRIES);

const PngApi& api() { return PngApi::bound(); }

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(api().png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// What libpng is handed: the header's fields, the palette, the rows.
struct PngLayout {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int depth = 8;
  int colourType = PNG_COLOR_TYPE_RGB;
  int colours = 0;  // palette entries
  std::array<png_color, 256> palette{};
  std::vector<png_bytep> rows;
};

constexpr std::uint32_t kUnused = 0xFFFFFFFF;  // no colour: colours are 0xRRGGBB

// Fills `layout`'s palette from the colour of each index the picture uses;
// false when one index shows two colours (hold-and-modify pictures colour a
// pixel from its neighbour), the picture then being written as RGB.
bool takePalette(const BankPicture& picture, PngLayout& layout) {
  if (picture.index.size() != picture.rgb.size()) return false;
  std::array<std::uint32_t, 256> colours;
  colours.fill(kUnused);
  int highest = 0;
  for (std::size_t i = 0; i < picture.index.size(); ++i) {
    const std::uint8_t index = picture.index[i];
    if (colours[index] == picture.rgb[i]) continue;
    if (colours[index] != kUnused) return false;
    colours[index] = picture.rgb[i];
    if (index > highest) highest = index;
  }
  layout.colours = highest + 1;
  for (int i = 0; i < layout.colours; ++i) {
    const std::uint32_t c = colours[static_cast<std::size_t>(i)] == kUnused ? 0 : colours[static_cast<std::size_t>(i)];
    layout.palette[static_cast<std::size_t>(i)] = {static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8),
                                                   static_cast<png_byte>(c)};
  }
  return true;
}

// Kept apart from the making of the rows so that no object with a destructor
// lives across libpng's error jump.
void writePng(const PngLayout& layout, std::vector<std::uint8_t>& out) {
  const PngApi& lib = api();
  if (!lib.missing.empty()) throw std::runtime_error("libpng cannot be loaded: " + lib.missing);
  png_structp png = lib.png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) throw std::runtime_error("libpng cannot start");
  png_infop info = lib.png_create_info_struct(png);
  if (info == nullptr) {
    lib.png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("libpng cannot start");
  }
  // What png_jmpbuf() does, through the bound entry.
  if (setjmp(*lib.png_set_longjmp_fn(png, longjmp, sizeof(jmp_buf))) != 0) {
    lib.png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng failed to encode the picture");
  }
  lib.png_set_write_fn(png, &out, appendBytes, flushNothing);
  lib.png_set_IHDR(png, info, layout.width, layout.height, layout.depth, layout.colourType, PNG_INTERLACE_NONE,
                    PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (layout.colourType == PNG_COLOR_TYPE_PALETTE) {
    lib.png_set_PLTE(png, info, layout.palette.data(), layout.colours);
    // Neighbouring indices say nothing about each other: a filter would cost
    // time and gain nothing.
    lib.png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  }
  // Level 1: files an eighth larger than at the default level, made in half
  // the time (BM_EncodeBankPictures). Memory level 7 halves zlib's hash table
  // and buffers; at 8, malloc hands each picture's encoder memory back to the
  // system when the picture is done and the next one faults it in again.
  lib.png_set_compression_level(png, Z_BEST_SPEED);
  lib.png_set_compression_mem_level(png, 7);
  lib.png_write_info(png, info);
  if (layout.depth < 8) lib.png_set_packing(png);
  lib.png_write_image(png, const_cast<png_bytepp>(layout.rows.data()));
  lib.png_write_end(png, nullptr);
  lib.png_destroy_write_struct(&png, &info);
}

}  // namespace

std::vector<std::uint8_t> encodePng(const BankPicture& picture) {
  const auto width = static_cast<std::size_t>(picture.width), height = static_cast<std::size_t>(picture.height);
  PngLayout layout;
  layout.width = static_cast<png_uint_32>(picture.width);
  layout.height = static_cast<png_uint_32>(picture.height);
  layout.rows.resize(height);
  std::vector<std::uint8_t> rgb;
  if (takePalette(picture, layout)) {
    layout.colourType = PNG_COLOR_TYPE_PALETTE;
    layout.depth = layout.colours <= 2 ? 1 : layout.colours <= 4 ? 2 : layout.colours <= 16 ? 4 : 8;
    // libpng copies each row before it packs it: the picture's own indices
    // are only read.
    auto* index = const_cast<std::uint8_t*>(picture.index.data());
    for (std::size_t y = 0; y < height; ++y) layout.rows[y] = index + y * width;
  } else {
    rgb.resize(width * 3 * height);
    for (std::size_t i = 0; i < picture.rgb.size(); ++i) {
      rgb[3 * i] = static_cast<std::uint8_t>(picture.rgb[i] >> 16);
      rgb[3 * i + 1] = static_cast<std::uint8_t>(picture.rgb[i] >> 8);
      rgb[3 * i + 2] = static_cast<std::uint8_t>(picture.rgb[i]);
    }
    for (std::size_t y = 0; y < height; ++y) layout.rows[y] = rgb.data() + y * width * 3;
  }
  std::vector<std::uint8_t> out;
  writePng(layout, out);
  return out;
}

}  // namespace zarvex
