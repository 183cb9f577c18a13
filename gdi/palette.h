// Logical palettes: the colours a drawing names by palette index, and how a
// palette device maps them onto its system palette when realised.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gdi/color.h"
#include "gdi/display.h"

namespace zel::gdi {

struct PaletteEntry {
  uint8_t red = 0, green = 0, blue = 0;
  uint8_t flags = 0;
  friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// Entry flags.
inline constexpr uint8_t kPaletteReserved = 0x01;    // may be animated
inline constexpr uint8_t kPaletteExplicit = 0x02;    // names a system index
inline constexpr uint8_t kPaletteNoCollapse = 0x04;  // takes an entry of its own

class LogicalPalette {
 public:
  explicit LogicalPalette(std::vector<PaletteEntry> entries);
  // The palette a device context holds until another is selected: the twenty
  // static colours.
  static std::shared_ptr<LogicalPalette> defaultPalette();

  size_t size() const { return entries_.size(); }
  const std::vector<PaletteEntry>& entries() const { return entries_; }
  ColorRef colorOf(size_t index) const;
  size_t nearest(ColorRef rgbColor) const;
  // Replaces entries [first, first + n), clipped to the palette.
  size_t setEntries(size_t first, const std::vector<PaletteEntry>& entries);

  // System-palette index that each entry maps to after realisation; until it
  // is realised, entries map to the nearest system colour.
  const std::vector<uint8_t>& systemIndexes() const { return toSystem_; }
  std::vector<uint8_t>& systemIndexes() { return toSystem_; }

 private:
  std::vector<PaletteEntry> entries_;
  std::vector<uint8_t> toSystem_;
};

// Realises `palette` on a palette device: exact matches reuse system entries,
// entries with kPaletteNoCollapse or kPaletteReserved, and entries without a
// match, take free (non-static) system entries while any remain; the rest map
// to the nearest system colour. Returns how many system entries changed. On a
// true-colour display this does nothing and returns 0.
size_t realizePalette(Display& display, LogicalPalette& palette);

// Changes entries [first, first + n) of a realised palette that carry
// kPaletteReserved, and their system entries, in place. Returns the number of
// entries animated.
size_t animatePalette(Display& display, LogicalPalette& palette, size_t first,
                      const std::vector<PaletteEntry>& entries);

}  // namespace zel::gdi
