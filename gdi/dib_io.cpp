#include "gdi/dib_io.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "gdi/blit.h"
#include "gdi/rle.h"
#include "gdi/row_convert.h"

namespace zel::gdi {

const RgbQuad kSixteenColors[16] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {128, 128, 128, 0},
    {192, 192, 192, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0},
};

namespace {

// Rows [firstRow, firstRow + surface height) of a DIB's picture, counted from
// its top, decoded into a top-down surface; `written` is set for run-length
// images only.
struct Band {
  std::shared_ptr<Surface> surface;
  std::vector<uint8_t> written;
  int32_t firstRow = 0;
};

std::vector<RgbQuad> colorTable(const BitmapInfo& info, ColorUse use, const DeviceContext* dc) {
  std::vector<RgbQuad> table;
  if (use == ColorUse::Rgb) return info.colors;
  const auto palette = dc ? dc->palette() : LogicalPalette::defaultPalette();
  for (uint16_t i : info.indexes)
    table.push_back(quadOf(palette->colorOf(i)));
  return table;
}

DibHeader uncompressed(const DibHeader& h, int32_t rows) {
  DibHeader out = h;
  if (out.compression == Compression::Rle8 || out.compression == Compression::Rle4) {
    out.compression = Compression::Rgb;
    out.bitCount = 8;
  }
  out.height = -rows;  // bands are top-down
  return out;
}

std::optional<Band> decodeBand(const BitmapInfo& info, std::span<const uint8_t> bits, ColorUse use,
                               const DeviceContext* dc, uint32_t startScan, uint32_t numScans) {
  const DibHeader& h = info.header;
  if (!validHeader(h)) return std::nullopt;
  if (use == ColorUse::Rgb ? info.colors.size() < h.colorTableEntries()
                           : info.indexes.size() < h.colorTableEntries()) {
    return std::nullopt;
  }
  const int64_t height = h.absHeight();
  std::vector<RgbQuad> table = colorTable(info, use, dc);
  Band band;
  if (h.compression == Compression::Rle8 || h.compression == Compression::Rle4) {
    RleImage image;
    if (!decodeRle(bits, h.compression, h.width, int32_t(height), &image)) return std::nullopt;
    band.surface = Surface::createDib(uncompressed(h, int32_t(height)), table);
    if (!band.surface) return std::nullopt;
    std::vector<uint32_t> line(size_t(h.width));
    for (int32_t y = 0; y < int32_t(height); ++y) {
      const uint8_t* src = image.index.data() + size_t(y) * size_t(h.width);
      for (int32_t x = 0; x < h.width; ++x)
        line[size_t(x)] = src[x];
      band.surface->writeRow(y, 0, h.width, line.data());
    }
    band.written = std::move(image.written);
    return band;
  }
  if (startScan >= height) return std::nullopt;
  const uint64_t stride = h.stride();
  uint64_t scans = std::min<uint64_t>(numScans, uint64_t(height) - startScan);
  scans = std::min<uint64_t>(scans, bits.size() / stride);
  if (scans == 0) return std::nullopt;
  band.surface = Surface::createDib(uncompressed(h, int32_t(scans)), table);
  if (!band.surface) return std::nullopt;
  const int64_t end = int64_t(startScan + scans);
  band.firstRow = int32_t(h.topDown() ? int64_t(startScan) : height - end);
  for (int32_t v = 0; v < int32_t(scans); ++v) {
    const uint64_t k = h.topDown() ? uint64_t(v) : uint64_t(scans - 1 - uint64_t(v));
    std::memcpy(band.surface->row(v), bits.data() + k * stride, size_t(stride));
  }
  return band;
}

// Copies `src` (in picture rows, top-based) of a band to the context with the
// picture's (srcRect.left, srcRect.top) landing on (xDest, yDest).
int drawBand(DeviceContext& dc, const Band& band, const Rect& srcRect, int64_t xDest,
             int64_t yDest) {
  const Surface& s = *band.surface;
  const Rect bandRect{0, band.firstRow, s.width(), band.firstRow + s.height()};
  const Rect src = srcRect.intersect(bandRect);
  if (src.empty()) return 0;
  const int64_t dx = xDest - srcRect.left, dy = yDest - srcRect.top;
  const Rect dest = Rect::fromSize(src.left + dx, src.top + dy, src.width(), src.height())
                        .intersect(dc.clipBox());
  if (dest.empty()) return int(src.height());
  const RowConverter convert(s, dc.bkColor(), dc);
  Surface& d = dc.surface();
  const int32_t n = int32_t(dest.width());
  std::vector<uint32_t> raw(static_cast<size_t>(n)), line(raw.size()), old(raw.size());
  for (int32_t y = dest.top; y < dest.bottom; ++y) {
    const int32_t bandRow = int32_t(y - dy - band.firstRow);
    const int32_t sx = int32_t(dest.left - dx);
    s.readRow(bandRow, sx, n, raw.data());
    convert.convert(raw.data(), line.data(), size_t(n));
    if (!band.written.empty()) {
      d.readRow(y, dest.left, n, old.data());
      const uint8_t* w = band.written.data() + size_t(bandRow) * size_t(s.width()) + size_t(sx);
      for (int32_t k = 0; k < n; ++k) {
        if (!w[k]) line[size_t(k)] = old[size_t(k)];
      }
    }
    d.writeRow(y, dest.left, n, line.data());
  }
  return int(src.height());
}

// A device context around a surface it does not own, for the length of a call.
DeviceContext contextFor(const DeviceContext* like, Surface& target) {
  DeviceContext dc(like ? like->display() : Display::trueColor());
  if (like) dc.selectPalette(like->palette());
  dc.selectBitmap(std::shared_ptr<Surface>(std::shared_ptr<Surface>{}, &target));
  return dc;
}

std::vector<RgbQuad> defaultTable(int bits) {
  std::vector<RgbQuad> t;
  if (bits == 1) {
    t = {RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}};
  } else if (bits == 4) {
    t.assign(std::begin(kSixteenColors), std::end(kSixteenColors));
  } else {
    t.assign(256, RgbQuad{});
    for (int i = 0; i < 10; ++i) {
      t[size_t(i)] = kStaticColors[size_t(i)];
      t[size_t(246 + i)] = kStaticColors[size_t(10 + i)];
    }
    for (int i = 0; i < 216; ++i) {
      t[size_t(10 + i)] =
          RgbQuad{uint8_t((i / 36) * 51), uint8_t((i / 6 % 6) * 51), uint8_t((i % 6) * 51), 0};
    }
  }
  return t;
}

}  // namespace

uint64_t dibBitsSize(const DibHeader& header, uint32_t scans) {
  return header.stride() * uint64_t(scans);
}

std::shared_ptr<Surface> surfaceFromDib(const BitmapInfo& info, std::span<const uint8_t> bits,
                                        ColorUse use, const DeviceContext* dc) {
  const int64_t height = info.header.absHeight();
  auto band = decodeBand(info, bits, use, dc, 0, uint32_t(std::min<int64_t>(height, INT32_MAX)));
  if (!band || band->surface->height() != height) return nullptr;
  return band->surface;
}

int setDIBits(const DeviceContext* dc, Surface& target, uint32_t startScan, uint32_t numScans,
              std::span<const uint8_t> bits, const BitmapInfo& info, ColorUse use) {
  auto band = decodeBand(info, bits, use, dc, startScan, numScans);
  if (!band) return 0;
  DeviceContext ctx = contextFor(dc, target);
  const Rect picture{0, 0, info.header.width, int32_t(info.header.absHeight())};
  const int rows = drawBand(ctx, *band, picture, 0, 0);
  return band->written.empty() ? rows : int(info.header.absHeight());
}

int setDIBitsToDevice(DeviceContext& dc, int32_t xDest, int32_t yDest, uint32_t width,
                      uint32_t height, int32_t xSrc, int32_t ySrc, uint32_t startScan,
                      uint32_t numScans, std::span<const uint8_t> bits, const BitmapInfo& info,
                      ColorUse use) {
  auto band = decodeBand(info, bits, use, &dc, startScan, numScans);
  if (!band) return 0;
  const int64_t h = info.header.absHeight();
  const int64_t w = std::min<int64_t>(width, INT32_MAX), hh = std::min<int64_t>(height, INT32_MAX);
  const int64_t top = info.header.topDown() ? int64_t(ySrc) : h - int64_t(ySrc) - hh;
  const Rect src =
      Rect::fromSize(xSrc, top, w, hh).intersect(Rect{0, 0, info.header.width, int32_t(h)});
  if (src.empty()) return 0;
  // The picture's rectangle corner lands on the destination corner.
  const int64_t dx = int64_t(xDest) + (src.left - int64_t(xSrc));
  const int64_t dy = int64_t(yDest) + (src.top - top);
  drawBand(dc, *band, src, dx, dy);
  return band->written.empty() ? band->surface->height() : int(h);
}

int stretchDIBits(DeviceContext& dc, int32_t xDest, int32_t yDest, int32_t destWidth,
                  int32_t destHeight, int32_t xSrc, int32_t ySrc, int32_t srcWidth,
                  int32_t srcHeight, std::span<const uint8_t> bits, const BitmapInfo& info,
                  ColorUse use, uint32_t rop) {
  auto picture = surfaceFromDib(info, bits, use, &dc);
  if (!picture) return 0;
  const int64_t h = info.header.absHeight();
  const int64_t top = info.header.topDown() ? int64_t(ySrc) : h - int64_t(ySrc) - srcHeight;
  if (top < INT32_MIN || top > INT32_MAX) return 0;
  if (!stretchSurface(dc, xDest, yDest, destWidth, destHeight, *picture, dc.bkColor(), xSrc,
                      int32_t(top), srcWidth, srcHeight, rop)) {
    return 0;
  }
  return int(h);
}

int getDIBits(const DeviceContext& dc, const Surface& source, uint32_t startScan, uint32_t numScans,
              std::span<uint8_t> out, BitmapInfo& info, ColorUse use) {
  DibHeader& h = info.header;
  if (h.compression != Compression::Rgb && h.compression != Compression::BitFields) return 0;
  if (!validHeader(h)) return 0;
  const int64_t height = h.absHeight();
  const uint64_t stride = h.stride();
  h.sizeImage = uint32_t(std::min<uint64_t>(stride * uint64_t(height), UINT32_MAX));
  std::vector<RgbQuad> table;
  if (h.bitCount <= 8) {
    if (source.layout().isIndexed() && source.bitsPerPixel() == h.bitCount && source.colorTable()) {
      table = source.colorTable()->entries;
    } else {
      table = defaultTable(h.bitCount);
    }
    table.resize(size_t(1) << h.bitCount);
    h.colorsUsed = 0;
    if (use == ColorUse::Rgb) {
      info.colors = table;
    } else {
      info.indexes.assign(table.size(), 0);
      const auto& palette = *dc.palette();
      const bool onSystem =
          dc.display()->isPaletteDevice() && source.colorTable() == dc.display()->systemPalette();
      for (size_t v = 0; v < table.size(); ++v) {
        size_t entry = palette.size();
        if (onSystem) {
          const auto& map = palette.systemIndexes();
          entry = size_t(std::find(map.begin(), map.end(), uint8_t(v)) - map.begin());
        }
        if (entry >= palette.size()) entry = palette.nearest(colorOf(table[v]));
        info.indexes[v] = uint16_t(entry);
      }
    }
  }
  if (startScan >= height) return 0;
  uint64_t scans = std::min<uint64_t>(numScans, uint64_t(height) - startScan);
  scans = std::min<uint64_t>(scans, out.size() / stride);
  if (scans == 0) return 0;
  DibHeader bandHeader = h;
  bandHeader.height = -int32_t(scans);
  auto band = Surface::createDib(bandHeader, table);
  if (!band) return 0;
  // Monochrome bitmaps read back through their own black and white.
  DeviceContext ctx = contextFor(&dc, *band);
  ctx.setTextColor(rgb(0, 0, 0));
  ctx.setBkColor(rgb(255, 255, 255));
  const RowConverter convert(source, rgb(255, 255, 255), ctx);
  const int64_t end = int64_t(startScan + scans);
  const int64_t firstRow = h.topDown() ? int64_t(startScan) : height - end;
  const int32_t n = std::min(h.width, source.width());
  std::vector<uint32_t> raw(size_t(h.width), 0), line(size_t(h.width), 0);
  for (int32_t v = 0; v < int32_t(scans); ++v) {
    const int64_t row = firstRow + v;
    std::fill(line.begin(), line.end(), 0);
    if (row < source.height()) {
      source.readRow(int32_t(row), 0, n, raw.data());
      convert.convert(raw.data(), line.data(), size_t(n));
    }
    band->writeRow(v, 0, h.width, line.data());
    const uint64_t k = h.topDown() ? uint64_t(v) : scans - 1 - uint64_t(v);
    std::memcpy(out.data() + k * stride, band->row(v), size_t(stride));
  }
  return int(scans);
}

}  // namespace zel::gdi
