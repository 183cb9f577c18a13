#include "platform/texts/message_format.h"

#include "platform/texts/conversion.h"

namespace zel::texts {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Appends insert `number` (1-based) as written at `marker` ("%2!d!"); leaves
// the marker itself when there is no such insert.
void appendInsert(std::string& out, std::span<const FormatArgument> inserts, size_t number,
                  std::string_view conversionText, std::string_view marker) {
  if (number > inserts.size()) {
    out += marker;
    return;
  }
  detail::Conversion conversion;
  if (conversionText.empty() ||
      detail::parseConversion(conversionText, conversion) != conversionText.size()) {
    conversion = detail::Conversion{};
  }
  detail::appendConverted(out, conversion, inserts[number - 1]);
}

}  // namespace

std::string formatMessage(std::string_view pattern, std::span<const FormatArgument> inserts) {
  std::string out;
  out.reserve(pattern.size());
  size_t pos = 0;
  while (pos < pattern.size()) {
    size_t percent = pattern.find('%', pos);
    if (percent == std::string_view::npos) {
      out += pattern.substr(pos);
      break;
    }
    out += pattern.substr(pos, percent - pos);
    if (percent + 1 >= pattern.size()) {
      out += '%';
      break;
    }
    char c = pattern[percent + 1];
    pos = percent + 2;
    if (c >= '1' && c <= '9') {
      size_t number = static_cast<size_t>(c - '0');
      if (pos < pattern.size() && isDigit(pattern[pos])) {
        number = number * 10 + static_cast<size_t>(pattern[pos] - '0');
        ++pos;
      }
      std::string_view conversionText;
      if (pos < pattern.size() && pattern[pos] == '!') {
        size_t close = pattern.find('!', pos + 1);
        if (close != std::string_view::npos) {
          conversionText = pattern.substr(pos + 1, close - pos - 1);
          pos = close + 1;
        }
      }
      appendInsert(out, inserts, number, conversionText, pattern.substr(percent, pos - percent));
      continue;
    }
    switch (c) {
      case '0':
        return out;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '%':
      case '.':
      case '!':
      case ' ':
        out += c;
        break;
      default:
        out += '%';
        out += c;
        break;
    }
  }
  return out;
}

}  // namespace zel::texts
