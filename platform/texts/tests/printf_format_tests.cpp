#include "platform/texts/printf_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace zel::texts {
namespace {

struct Case {
  const char* format;
  std::vector<FormatArgument> arguments;
  const char* expected;
};

TEST(FormatPrintf, ConversionsAsInC) {
  const Case cases[] = {
      {"Receive failed: %d.", {-10054}, "Receive failed: -10054."},
      {"Trying to connect to %s using TCP", {"host1"}, "Trying to connect to host1 using TCP"},
      {"%u", {-1}, "4294967295"},
      {"%x %X", {255, 255u}, "ff FF"},
      {"%x", {static_cast<std::int16_t>(-1)}, "ffff"},
      {"%lx", {static_cast<std::int64_t>(-1)}, "ffffffffffffffff"},
      {"%ld", {LONG_MIN}, "-9223372036854775808"},
      {"%08x", {0xBEEF}, "0000beef"},
      {"%02X", {7}, "07"},
      {"%09u", {42u}, "000000042"},
      {"%-5d|", {42}, "42   |"},
      {"%5d|", {-42}, "  -42|"},
      {"%05d", {-42}, "-0042"},
      {"%+d % d", {5, 5}, "+5  5"},
      {"%.3d", {7}, "007"},
      {"%.0d|", {0}, "|"},
      {"%#x %#o", {255, 8}, "0xff 010"},
      {"%c%c", {'O', 75}, "OK"},
      {"%c", {0xFC}, "\xC3\xBC"},
      {"%.3s|%5s|%-5s|", {"abcdef", "ab", "ab"}, "abc|   ab|ab   |"},
      {"%S", {"wide"}, "wide"},
      {"%I64d %hhu %zu", {1, 2, 3}, "1 2 3"},
      {"100%%", {}, "100%"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(formatPrintf(c.format, c.arguments), c.expected) << c.format;
}

TEST(FormatPrintf, TextsNeverReadMissingArguments) {
  // A translated text may ask for more than the caller passes; the extra
  // conversions stay as written.
  const Case cases[] = {
      {"%s and %s", {"one"}, "one and %s"},
      {"%d %d %d", {}, "%d %d %d"},
      {"%-08.3lx", {}, "%-08.3lx"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(formatPrintf(c.format, c.arguments), c.expected) << c.format;
}

TEST(FormatPrintf, UnsupportedConversionsAreKeptAsText) {
  const Case cases[] = {
      {"%n", {1}, "%n"},       {"%p", {1}, "%p"},  {"%*d", {3, 4}, "%*d"}, {"%f", {1}, "%f"},
      {"%1$s", {"x"}, "%1$s"}, {"50%", {}, "50%"}, {"%", {}, "%"},         {"%l", {1}, "%l"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(formatPrintf(c.format, c.arguments), c.expected) << c.format;
}

TEST(FormatPrintf, MismatchedTypesAreWrittenSafely) {
  const Case cases[] = {
      {"%d", {"text"}, "text"},
      {"%s", {-5}, "-5"},
      {"%s", {'x'}, "x"},
      {"%x", {'A'}, "41"},
      {"%s", {static_cast<const char*>(nullptr)}, "(null)"},
      {"%c", {0}, ""},
      {"%c", {-1}, "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(formatPrintf(c.format, c.arguments), c.expected) << c.format;
}

TEST(FormatPrintf, HugeFieldsAreLimited) {
  EXPECT_EQ(formatPrintf("%999999999999d", {1}).size(), 1024u);
  EXPECT_EQ(formatPrintf("%.999999999d", {1}).size(), 1024u);
}

TEST(FormatPrintf, WidthCountsCharactersNotBytes) {
  EXPECT_EQ(formatPrintf("%4s|", {"\xC3\xBC"}), "   \xC3\xBC|");
  EXPECT_EQ(formatPrintf("%.1s|", {"\xC3\xBC\xC3\xBC"}), "\xC3\xBC|");
}

TEST(FormatPrintf, ExtraArgumentsAreIgnored) {
  EXPECT_EQ(formatPrintf("%d", {1, 2, 3}), "1");
  EXPECT_EQ(formatPrintf("plain"), "plain");
}

}  // namespace
}  // namespace zel::texts
