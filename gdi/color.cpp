#include "gdi/color.h"

namespace zel::gdi {

size_t nearestEntry(std::span<const RgbQuad> table, ColorRef c) {
  const int r = redOf(c), g = greenOf(c), b = blueOf(c);
  size_t best = 0;
  long bestDistance = -1;
  for (size_t i = 0; i < table.size(); ++i) {
    const long dr = table[i].red - r, dg = table[i].green - g, db = table[i].blue - b;
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
      if (distance == 0) break;
    }
  }
  return best;
}

}  // namespace zel::gdi
