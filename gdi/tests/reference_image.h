// Reference pictures for rendering tests, kept as text so that each pixel can
// be read and reviewed: a size line "W H", legend lines "<char> RRGGBB", a
// line "--", then H rows of W legend characters. Lines starting with '#' are
// comments.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "gdi/surface.h"

namespace zel::gdi::testing {

struct Picture {
  int32_t width = 0, height = 0;
  std::map<char, ColorRef> legend;
  std::vector<std::string> rows;
};

// Parses the text form; fails the current test on a malformed picture.
Picture parsePicture(const std::string& text);
Picture loadReference(const std::string& name);

// Compares every pixel's colour; on a difference writes the surface as
// <output dir>/<label>.png and reports the first differing pixels.
::testing::AssertionResult matchesPicture(const Surface& surface, const Picture& picture,
                                          const std::string& label);
::testing::AssertionResult matchesReference(const Surface& surface, const std::string& name);

// Renders the surface as rows of legend characters ('?' for colours the
// legend lacks); handy for writing new references.
std::vector<std::string> renderRows(const Surface& surface, const std::map<char, ColorRef>& legend);

}  // namespace zel::gdi::testing
