#include "png_encoder.h"

#include <png.h>

#include <csetjmp>
#include <stdexcept>

namespace zarvex {

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

}  // namespace

std::vector<std::uint8_t> encodePng(const BankPicture& picture) {
  std::vector<std::uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) throw std::runtime_error("libpng cannot start");
  png_infop info = png_create_info_struct(png);
  // Rows are built before libpng's error jump can be taken, so no object with
  // a destructor lives across it.
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(picture.width) * 3 * static_cast<std::size_t>(picture.height));
  for (std::size_t i = 0; i < picture.rgb.size(); ++i) {
    rgb[3 * i] = static_cast<std::uint8_t>(picture.rgb[i] >> 16);
    rgb[3 * i + 1] = static_cast<std::uint8_t>(picture.rgb[i] >> 8);
    rgb[3 * i + 2] = static_cast<std::uint8_t>(picture.rgb[i]);
  }
  std::vector<png_bytep> rows(static_cast<std::size_t>(picture.height));
  for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = rgb.data() + y * static_cast<std::size_t>(picture.width) * 3;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error("libpng cannot start");
  }
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("libpng failed to encode the picture");
  }
  png_set_write_fn(png, &out, appendBytes, flushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace zarvex
