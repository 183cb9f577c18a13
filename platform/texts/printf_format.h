// printf-style formatting of texts that come from catalogues ("Receive failed:
// %d.", "Trying to connect to %s using TCP"). The format is data: it is read by
// this formatter, never handed to the C library's printf family, and it can
// only use the arguments the caller gave.
//
// Supported: "%%", and conversions of the types d i u x X o c C s S with the
// flags "-0+ #", a width, a precision and any of the size prefixes
// (h hh l ll L q j z t w I I32 I64, which are accepted and ignored because each
// argument carries its own type). A conversion with no argument left, and
// anything else after "%" (including "%n", "%p", "%*d" and floating point), is
// copied to the result as it stands. The width and precision are limited to
// 1024.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "platform/texts/format_argument.h"

namespace zel::texts {

std::string formatPrintf(std::string_view format, std::span<const FormatArgument> arguments);

inline std::string formatPrintf(std::string_view format,
                                std::initializer_list<FormatArgument> arguments) {
  return formatPrintf(format, std::span<const FormatArgument>(arguments.begin(), arguments.size()));
}

inline std::string formatPrintf(std::string_view format) {
  return formatPrintf(format, std::span<const FormatArgument>());
}

}  // namespace zel::texts
