#include "platform/texts/printf_format.h"

#include "platform/texts/conversion.h"

namespace zel::texts {

std::string formatPrintf(std::string_view format, std::span<const FormatArgument> arguments) {
  std::string out;
  out.reserve(format.size());
  size_t next = 0;
  size_t pos = 0;
  while (pos < format.size()) {
    size_t percent = format.find('%', pos);
    if (percent == std::string_view::npos) {
      out += format.substr(pos);
      break;
    }
    out += format.substr(pos, percent - pos);
    std::string_view rest = format.substr(percent + 1);
    if (!rest.empty() && rest[0] == '%') {
      out += '%';
      pos = percent + 2;
      continue;
    }
    detail::Conversion conversion;
    size_t length = detail::parseConversion(rest, conversion);
    if (length == 0) {
      out += '%';
      pos = percent + 1;
      continue;
    }
    if (next < arguments.size()) {
      detail::appendConverted(out, conversion, arguments[next++]);
    } else {
      out += format.substr(percent, length + 1);
    }
    pos = percent + 1 + length;
  }
  return out;
}

}  // namespace zel::texts
