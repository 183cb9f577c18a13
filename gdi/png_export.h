// Export of any surface as a PNG image (8-bit RGB), for people: tests write
// the picture they got when it differs, the demo writes its screenshot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gdi/surface.h"

namespace zel::gdi {

// The PNG file bytes of the surface's colours; empty on failure.
std::vector<uint8_t> encodePng(const Surface& surface);
// Writes the PNG to `path`; false when encoding or writing fails.
bool writePng(const Surface& surface, const std::string& path);

}  // namespace zel::gdi
