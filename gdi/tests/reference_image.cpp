#include "gdi/tests/reference_image.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "gdi/png_export.h"

namespace zel::gdi::testing {

Picture parsePicture(const std::string& text) {
  Picture p;
  std::istringstream in(text);
  std::string line;
  bool sized = false, inRows = false;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (!sized) {
      std::istringstream(line) >> p.width >> p.height;
      sized = true;
    } else if (!inRows) {
      if (line == "--") {
        inRows = true;
        continue;
      }
      char c = line[0];
      unsigned value = 0;
      std::istringstream(line.substr(1)) >> std::hex >> value;
      p.legend[c] = rgb(uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value));
    } else {
      p.rows.push_back(line);
    }
  }
  EXPECT_EQ(int32_t(p.rows.size()), p.height) << "picture row count";
  for (const auto& r : p.rows)
    EXPECT_EQ(int32_t(r.size()), p.width) << "picture row: " << r;
  return p;
}

Picture loadReference(const std::string& name) {
  std::ifstream f(std::string(ZEL_GDI_REFERENCE_DIR) + "/" + name + ".txt");
  EXPECT_TRUE(f.good()) << "missing reference " << name;
  std::stringstream ss;
  ss << f.rdbuf();
  return parsePicture(ss.str());
}

std::vector<std::string> renderRows(const Surface& surface,
                                    const std::map<char, ColorRef>& legend) {
  std::vector<std::string> rows;
  for (int32_t y = 0; y < surface.height(); ++y) {
    std::string r;
    for (int32_t x = 0; x < surface.width(); ++x) {
      const ColorRef c = surface.colorAt(x, y);
      char ch = '?';
      for (const auto& [k, v] : legend) {
        if (v == c) {
          ch = k;
          break;
        }
      }
      r += ch;
    }
    rows.push_back(r);
  }
  return rows;
}

::testing::AssertionResult matchesPicture(const Surface& surface, const Picture& picture,
                                          const std::string& label) {
  if (surface.width() != picture.width || surface.height() != picture.height) {
    return ::testing::AssertionFailure()
           << label << ": size " << surface.width() << "x" << surface.height() << ", expected "
           << picture.width << "x" << picture.height;
  }
  std::ostringstream diff;
  int differences = 0;
  for (int32_t y = 0; y < picture.height; ++y) {
    for (int32_t x = 0; x < picture.width; ++x) {
      const char ch = picture.rows[size_t(y)][size_t(x)];
      const auto it = picture.legend.find(ch);
      const ColorRef want = it == picture.legend.end() ? 0xFFFFFFFFu : it->second;
      const ColorRef got = surface.colorAt(x, y);
      if (got != want && differences++ < 8) {
        diff << " (" << x << "," << y << ") got " << std::hex << got << " want " << want
             << std::dec;
      }
    }
  }
  if (differences == 0) return ::testing::AssertionSuccess();
  std::filesystem::create_directories(ZEL_GDI_OUTPUT_DIR);
  const std::string png = std::string(ZEL_GDI_OUTPUT_DIR) + "/" + label + ".png";
  writePng(surface, png);
  std::ostringstream got;
  for (const auto& r : renderRows(surface, picture.legend))
    got << "\n  " << r;
  return ::testing::AssertionFailure()
         << label << ": " << differences << " pixels differ:" << diff.str() << "\ngot:" << got.str()
         << "\n(" << png << ")";
}

::testing::AssertionResult matchesReference(const Surface& surface, const std::string& name) {
  return matchesPicture(surface, loadReference(name), name);
}

}  // namespace zel::gdi::testing
