#include "gdi/palette.h"

#include <algorithm>

namespace zel::gdi {
namespace {

RgbQuad quadOfEntry(const PaletteEntry& e) {
  return RgbQuad{e.blue, e.green, e.red, 0};
}

bool isStatic(size_t systemIndex) {
  return systemIndex < 10 || systemIndex >= 246;
}

}  // namespace

LogicalPalette::LogicalPalette(std::vector<PaletteEntry> entries)
    : entries_(std::move(entries)), toSystem_(entries_.size(), 0) {
  if (entries_.empty()) entries_.push_back(PaletteEntry{});
  if (toSystem_.empty()) toSystem_.push_back(0);
  std::vector<RgbQuad> statics(kStaticColors.begin(), kStaticColors.end());
  for (size_t i = 0; i < entries_.size(); ++i) {
    const size_t n = nearestEntry(statics, colorOf(i));
    toSystem_[i] = uint8_t(n < 10 ? n : n + 236);
  }
}

std::shared_ptr<LogicalPalette> LogicalPalette::defaultPalette() {
  std::vector<PaletteEntry> e;
  for (const RgbQuad& q : kStaticColors)
    e.push_back(PaletteEntry{q.red, q.green, q.blue, 0});
  return std::make_shared<LogicalPalette>(std::move(e));
}

ColorRef LogicalPalette::colorOf(size_t index) const {
  const PaletteEntry& e = entries_[index < entries_.size() ? index : 0];
  return rgb(e.red, e.green, e.blue);
}

size_t LogicalPalette::nearest(ColorRef rgbColor) const {
  std::vector<RgbQuad> table;
  table.reserve(entries_.size());
  for (const PaletteEntry& e : entries_)
    table.push_back(quadOfEntry(e));
  return nearestEntry(table, rgbColor & 0xFFFFFF);
}

size_t LogicalPalette::setEntries(size_t first, const std::vector<PaletteEntry>& entries) {
  if (first >= entries_.size()) return 0;
  const size_t n = std::min(entries.size(), entries_.size() - first);
  std::copy_n(entries.begin(), n, entries_.begin() + long(first));
  return n;
}

size_t realizePalette(Display& display, LogicalPalette& palette) {
  if (!display.isPaletteDevice()) return 0;
  auto& system = display.systemPalette()->entries;
  auto& reserved = display.reserved();
  // A newly realised foreground palette owns the free entries afresh.
  reserved.fill(false);
  size_t changed = 0;
  size_t nextFree = 10;
  const auto takeFree = [&]() -> int {
    while (nextFree < 246 && reserved[nextFree])
      ++nextFree;
    if (nextFree >= 246) return -1;
    reserved[nextFree] = true;
    return int(nextFree++);
  };
  for (size_t i = 0; i < palette.size(); ++i) {
    const PaletteEntry& e = palette.entries()[i];
    const RgbQuad q = quadOfEntry(e);
    if (e.flags & kPaletteExplicit) {
      palette.systemIndexes()[i] = uint8_t(((e.green << 8) | e.red) & 0xFF);
      continue;
    }
    const bool ownEntry = (e.flags & (kPaletteNoCollapse | kPaletteReserved)) != 0;
    if (!ownEntry) {
      // Reuse a static colour or an entry this palette already took.
      int match = -1;
      for (size_t s = 0; s < 256 && match < 0; ++s) {
        if ((isStatic(s) || reserved[s]) && system[s] == q) match = int(s);
      }
      if (match >= 0) {
        palette.systemIndexes()[i] = uint8_t(match);
        continue;
      }
    }
    const int slot = takeFree();
    if (slot >= 0) {
      if (!(system[size_t(slot)] == q)) ++changed;
      system[size_t(slot)] = q;
      palette.systemIndexes()[i] = uint8_t(slot);
    } else {
      palette.systemIndexes()[i] = uint8_t(nearestEntry(system, colorOf(q)));
    }
  }
  return changed;
}

size_t animatePalette(Display& display, LogicalPalette& palette, size_t first,
                      const std::vector<PaletteEntry>& entries) {
  size_t animated = 0;
  for (size_t k = 0; k < entries.size() && first + k < palette.size(); ++k) {
    const size_t i = first + k;
    if (!(palette.entries()[i].flags & kPaletteReserved)) continue;
    palette.setEntries(i, {entries[k]});
    if (display.isPaletteDevice()) {
      const uint8_t s = palette.systemIndexes()[i];
      if (!isStatic(s)) display.systemPalette()->entries[s] = quadOfEntry(entries[k]);
    }
    ++animated;
  }
  return animated;
}

}  // namespace zel::gdi
