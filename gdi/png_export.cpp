#include "gdi/png_export.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace zel::gdi {
namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

}  // namespace

std::vector<uint8_t> encodePng(const Surface& surface) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return {};
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return {};
  }
  const int32_t w = surface.width(), h = surface.height();
  std::vector<uint8_t> rgbRow(size_t(w) * 3);
  std::vector<uint32_t> raw(static_cast<size_t>(w));
  // libpng reports errors by long jump; nothing with a destructor is created
  // between here and the end of the writing.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, appendBytes, flushNothing);
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int32_t y = 0; y < h; ++y) {
    surface.readRow(y, 0, w, raw.data());
    for (int32_t x = 0; x < w; ++x) {
      const ColorRef c = surface.colorOfRaw(raw[size_t(x)]);
      rgbRow[size_t(x) * 3] = redOf(c);
      rgbRow[size_t(x) * 3 + 1] = greenOf(c);
      rgbRow[size_t(x) * 3 + 2] = blueOf(c);
    }
    png_write_row(png, rgbRow.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

bool writePng(const Surface& surface, const std::string& path) {
  const std::vector<uint8_t> bytes = encodePng(surface);
  if (bytes.empty()) return false;
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!f) return false;
  return std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
}

}  // namespace zel::gdi
