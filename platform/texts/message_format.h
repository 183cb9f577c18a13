// Formatting of texts with numbered inserts, in the manner of the system's
// message formatting: "%1!s! in tree %2!s!", "%1 (%2!c!:)".
//
//   %1 .. %99      insert 1 .. 99 as text (two digits at most: "%100" is
//                  insert 10 followed by "0")
//   %1!fmt!        insert 1 converted by the printf-style conversion "fmt"
//                  (for example "s", "d", "08x", ".2d", "c"; see
//                  printf_format.h); a conversion this formatter does not know
//                  writes the insert as text
//   %0             ends the result here
//   %n             a line break ("\n")
//   %t, %r         a tab, a carriage return
//   %%, %., %!, "% "  the character itself
// Inserts may appear in any order and more than once. An insert that was not
// given leaves its marker in the result exactly as written ("%3", "%3!d!"),
// so that a short argument list can never read what is not there and the hole
// is visible. Any other character after "%", and a "%" at the end, is kept as
// written.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "platform/texts/format_argument.h"

namespace zel::texts {

std::string formatMessage(std::string_view pattern, std::span<const FormatArgument> inserts);

inline std::string formatMessage(std::string_view pattern,
                                 std::initializer_list<FormatArgument> inserts) {
  return formatMessage(pattern, std::span<const FormatArgument>(inserts.begin(), inserts.size()));
}

}  // namespace zel::texts
