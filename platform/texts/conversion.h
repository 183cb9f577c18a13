// The conversion specifications that both text formatters understand: the
// printf-style "%-08lx" and the insert formats of "%1!08x!". Internal to the
// texts library.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/texts/format_argument.h"

namespace zel::texts::detail {

struct Conversion {
  bool leftAlign = false;
  bool zeroPad = false;
  bool plusSign = false;
  bool spaceSign = false;
  bool alternate = false;
  int width = 0;
  int precision = -1;  // -1: none given
  char type = 's';     // one of d i u x X o c C s S
};

// Widths and precisions above this are taken as this, so that a text cannot
// ask for an enormous field.
inline constexpr int kMaxFieldWidth = 1024;

// Reads a conversion from the start of `text` (the part after "%": flags,
// width, precision, size prefix, type). Returns the number of characters it
// takes, or 0 when `text` does not start with a conversion this formatter
// supports (a "*" width, "%n", "%p", floating point and unknown types are not).
size_t parseConversion(std::string_view text, Conversion& conversion);

// Appends `argument` converted as `conversion` says. A text argument under a
// number conversion is written as text; a number under "s" is written in
// decimal.
void appendConverted(std::string& out, const Conversion& conversion,
                     const FormatArgument& argument);

}  // namespace zel::texts::detail
