#include "platform/texts/conversion.h"

#include <algorithm>
#include <string_view>

#include "platform/texts/utf8.h"

namespace zel::texts::detail {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads decimal digits at `pos`, clamped to kMaxFieldWidth.
int readNumber(std::string_view text, size_t& pos) {
  int value = 0;
  while (pos < text.size() && isDigit(text[pos])) {
    value = std::min(kMaxFieldWidth, value * 10 + (text[pos] - '0'));
    ++pos;
  }
  return value;
}

// Size prefixes are accepted and ignored: every argument carries its own type.
size_t sizePrefixLength(std::string_view rest) {
  for (std::string_view prefix :
       {"I64", "I32", "hh", "ll", "h", "l", "L", "q", "j", "z", "t", "w", "I"}) {
    if (rest.substr(0, prefix.size()) == prefix) return prefix.size();
  }
  return 0;
}

void appendDigits(std::string& out, std::uint64_t value, unsigned base, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char buffer[24];
  size_t n = 0;
  do {
    buffer[n++] = digits[value % base];
    value /= base;
  } while (value != 0);
  while (n > 0)
    out += buffer[--n];
}

void appendPadded(std::string& out, const Conversion& c, std::string_view body,
                  std::string_view prefix = {}, bool zeroPadAllowed = false) {
  size_t length = countCharacters(prefix) + countCharacters(body);
  size_t width = static_cast<size_t>(c.width);
  size_t pad = width > length ? width - length : 0;
  if (c.leftAlign) {
    out += prefix;
    out += body;
    out.append(pad, ' ');
  } else if (c.zeroPad && zeroPadAllowed) {
    out += prefix;
    out.append(pad, '0');
    out += body;
  } else {
    out.append(pad, ' ');
    out += prefix;
    out += body;
  }
}

void appendText(std::string& out, const Conversion& c, std::string_view text) {
  if (c.precision >= 0) text = firstCharacters(text, static_cast<size_t>(c.precision));
  appendPadded(out, c, text);
}

void appendNumber(std::string& out, const Conversion& c, const FormatArgument& argument) {
  bool signedType = c.type == 'd' || c.type == 'i';
  std::uint64_t value = signedType ? argument.magnitude() : argument.unsignedBits();
  bool negative = signedType && argument.isNegative();
  unsigned base = 10;
  if (c.type == 'x' || c.type == 'X') base = 16;
  if (c.type == 'o') base = 8;

  std::string digits;
  if (!(c.precision == 0 && value == 0)) appendDigits(digits, value, base, c.type == 'X');
  if (c.precision > 0 && digits.size() < static_cast<size_t>(c.precision)) {
    digits.insert(0, static_cast<size_t>(c.precision) - digits.size(), '0');
  }
  std::string_view prefix;
  if (negative) {
    prefix = "-";
  } else if (signedType && c.plusSign) {
    prefix = "+";
  } else if (signedType && c.spaceSign) {
    prefix = " ";
  }
  if (c.alternate && value != 0) {
    if (base == 16) prefix = c.type == 'X' ? "0X" : "0x";
    if (base == 8 && (digits.empty() || digits[0] != '0')) digits.insert(0, 1, '0');
  }
  appendPadded(out, c, digits, prefix, c.precision < 0);
}

void appendCharacter(std::string& out, const Conversion& c, const FormatArgument& argument) {
  if (!argument.isNumber()) {
    appendText(out, c, argument.text());
    return;
  }
  std::string character;
  std::uint64_t code = argument.kind() == FormatArgument::Kind::Signed && argument.isNegative()
                           ? argument.unsignedBits()
                           : argument.magnitude();
  // A NUL character ends a text elsewhere in the system; it writes nothing.
  if (code != 0) appendCodePoint(character, code > 0x10FFFF ? 0xFFFD : static_cast<char32_t>(code));
  appendPadded(out, c, character);
}

}  // namespace

size_t parseConversion(std::string_view text, Conversion& conversion) {
  Conversion c;
  size_t pos = 0;
  for (; pos < text.size(); ++pos) {
    char f = text[pos];
    if (f == '-') {
      c.leftAlign = true;
    } else if (f == '0') {
      c.zeroPad = true;
    } else if (f == '+') {
      c.plusSign = true;
    } else if (f == ' ') {
      c.spaceSign = true;
    } else if (f == '#') {
      c.alternate = true;
    } else {
      break;
    }
  }
  c.width = readNumber(text, pos);
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    c.precision = readNumber(text, pos);
  }
  pos += sizePrefixLength(text.substr(pos));
  if (pos >= text.size()) return 0;
  char type = text[pos];
  if (std::string_view("diuxXocCsS").find(type) == std::string_view::npos) return 0;
  c.type = type;
  conversion = c;
  return pos + 1;
}

void appendConverted(std::string& out, const Conversion& conversion,
                     const FormatArgument& argument) {
  switch (conversion.type) {
    case 'c':
    case 'C':
      appendCharacter(out, conversion, argument);
      return;
    case 's':
    case 'S':
      break;
    default:
      if (argument.kind() == FormatArgument::Kind::Signed ||
          argument.kind() == FormatArgument::Kind::Unsigned ||
          argument.kind() == FormatArgument::Kind::Character) {
        appendNumber(out, conversion, argument);
        return;
      }
      break;
  }
  if (argument.kind() == FormatArgument::Kind::Text) {
    appendText(out, conversion, argument.text());
  } else if (argument.kind() == FormatArgument::Kind::Character) {
    appendCharacter(out, conversion, argument);
  } else {
    Conversion decimal = conversion;
    decimal.type = argument.kind() == FormatArgument::Kind::Signed ? 'd' : 'u';
    appendNumber(out, decimal, argument);
  }
}

}  // namespace zel::texts::detail
