#include "platform/texts/message_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zel::texts {
namespace {

struct Case {
  const char* pattern;
  std::vector<FormatArgument> inserts;
  const char* expected;
};

void expectAll(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(formatMessage(c.pattern, c.inserts), c.expected) << c.pattern;
  }
}

TEST(FormatMessage, InsertsInAnyOrderAndRepeated) {
  expectAll({
      {"%1!s! in tree %2!s!", {"admin", "CORP"}, "admin in tree CORP"},
      {"%2!s! before %1!s!", {"one", "two"}, "two before one"},
      {"%1 %1 %1", {"ab"}, "ab ab ab"},
      {"%1 (%2!c!:)", {"System", 'C'}, "System (C:)"},
      {"%1 on '%2' (%3!c!:)", {"share", "server", 'Z'}, "share on 'server' (Z:)"},
      {"%1KB", {12}, "12KB"},
      {"%1!d!.%2!.2d!GB", {3, 5}, "3.05GB"},
      {"%1!08x!", {0xABCu}, "00000abc"},
      {"%1!u!", {-1}, "4294967295"},
      {"%1!x!", {255}, "ff"},
      {"The communications module %1!s! could not be initialized (%2!s!).",
       {"zelrelay.exe", "No such file"},
       "The communications module zelrelay.exe could not be initialized (No such file)."},
  });
}

TEST(FormatMessage, EscapesAndEnd) {
  expectAll({
      {"100%%", {}, "100%"},
      {"one%ntwo", {}, "one\ntwo"},
      {"a%tb%rc", {}, "a\tb\rc"},
      {"%.%!% x", {}, ".! x"},
      {"kept%0dropped %1", {"x"}, "kept"},
      {"%0", {}, ""},
      {"trailing %", {}, "trailing %"},
      {"%q stays", {}, "%q stays"},
  });
}

TEST(FormatMessage, InsertNumbersHaveAtMostTwoDigits) {
  std::vector<FormatArgument> many;
  std::vector<std::string> names;
  for (int i = 1; i <= 12; ++i)
    names.push_back("i" + std::to_string(i));
  for (const std::string& name : names)
    many.emplace_back(name);
  EXPECT_EQ(formatMessage("%10|%12|%100", many), "i10|i12|i100");
  EXPECT_EQ(formatMessage("%1%2", many), "i1i2");
}

TEST(FormatMessage, MissingInsertsLeaveTheirMarker) {
  expectAll({
      {"%1 and %2", {"one"}, "one and %2"},
      {"%3!s! x %1", {"a"}, "%3!s! x a"},
      {"%99!d!", {}, "%99!d!"},
      {"%2!c!", {'A'}, "%2!c!"},
  });
}

TEST(FormatMessage, OddInsertFormatsAreSafe) {
  expectAll({
      {"%1!s", {"a"}, "a!s"},       // no closing "!": a plain insert
      {"%1!!x", {"a"}, "ax"},       // empty format: as text
      {"%1!n!", {"a"}, "a"},        // never a write-back: as text
      {"%1!*d!", {5, 6}, "5"},      // no width from the inserts: as text
      {"%1!d!", {"text"}, "text"},  // a text under a number format
      {"%1!-6s!|", {"ab"}, "ab    |"},
  });
}

TEST(FormatMessage, LongInsertsAreCopiedWhole) {
  std::string big(100000, 'x');
  std::string result = formatMessage("[%1][%1!.3s!]", {big});
  EXPECT_EQ(result, "[" + big + "][xxx]");
}

}  // namespace
}  // namespace zel::texts
