#include "platform/modules/library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace zel::modules {
namespace {

std::filesystem::path sampleDirectory() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "modules-sample";
}

TEST(LibraryFileName, MapsDllNamesAndKeepsOthers) {
  struct Case {
    const char* name;
    const char* file;
  };
  const Case cases[] = {
      {"zelgate.dll", "libzelgate.so"},
      {"ZELGATE.DLL", "libzelgate.so"},
      {"KSX.DLL", "libksx.so"},
      {"qtmlclient.Dll", "libqtmlclient.so"},
      {"libfoo.so.1", "libfoo.so.1"},
      {"zelgate", "zelgate"},
      {".dll", ".dll"},
      {"a.dll.bak", "a.dll.bak"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(libraryFileName(c.name), c.file) << c.name;
}

TEST(Library, LoadsByDllNameAndCallsAFunction) {
  Library library = Library::load(sampleDirectory(), "zelsample.dll");
  ASSERT_TRUE(library.loaded()) << library.error();
  EXPECT_TRUE(library.error().empty());
  EXPECT_EQ(library.path(), sampleDirectory() / "libzelsample.so");
  auto* add = library.function<int(int, int)>("SampleAdd");
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(40, 2), 42);
}

TEST(Library, UpperCaseDllNameFindsTheSameFile) {
  Library library = Library::load(sampleDirectory(), "ZELSAMPLE.DLL");
  EXPECT_TRUE(library.loaded()) << library.error();
}

TEST(Library, MissingLibraryIsAnOrdinaryOutcome) {
  Library library = Library::load(sampleDirectory(), "nothere.dll");
  EXPECT_FALSE(library.loaded());
  EXPECT_FALSE(library);
  EXPECT_NE(library.error().find("libnothere.so"), std::string::npos) << library.error();
  std::string reason;
  EXPECT_EQ(library.symbol("SampleAdd", &reason), nullptr);
  EXPECT_FALSE(reason.empty());
}

TEST(Library, LibraryIsSearchedOnlyInTheGivenDirectory) {
  // The sample exists one level down; the program's own directory must not
  // find it, whatever the loader's search path says.
  Library library =
      Library::load(std::filesystem::read_symlink("/proc/self/exe").parent_path(), "zelsample.dll");
  EXPECT_FALSE(library.loaded());
}

TEST(Library, NamesWithPathsAreRefused) {
  for (const char* name : {"../modules-sample/zelsample.dll", "modules-sample/libzelsample.so",
                           "..\\zelsample.dll", "", ".."}) {
    Library library = Library::load(sampleDirectory(), name);
    EXPECT_FALSE(library.loaded()) << name;
    EXPECT_FALSE(library.error().empty()) << name;
  }
}

TEST(Library, MissingFunctionIsAnOrdinaryOutcome) {
  Library library = Library::load(sampleDirectory(), "zelsample.dll");
  ASSERT_TRUE(library.loaded()) << library.error();
  std::string reason;
  EXPECT_EQ(library.symbol("NoSuchFunction", &reason), nullptr);
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(library.symbol("", &reason), nullptr);
  EXPECT_EQ(library.symbol(nullptr, &reason), nullptr);
}

TEST(Library, FunctionsOfDependenciesAreNotTheLibrarysOwn) {
  Library library = Library::load(sampleDirectory(), "zelsample.dll");
  ASSERT_TRUE(library.loaded()) << library.error();
  std::string reason;
  EXPECT_EQ(library.symbol("snprintf", &reason), nullptr);
  EXPECT_NE(reason.find("not exported"), std::string::npos) << reason;
  EXPECT_NE(library.symbol("SampleFormat"), nullptr);
}

TEST(Library, UnloadAndMoveLeaveOneOwner) {
  Library first = Library::load(sampleDirectory(), "zelsample.dll");
  ASSERT_TRUE(first.loaded());
  Library second = std::move(first);
  EXPECT_FALSE(first.loaded());  // NOLINT(bugprone-use-after-move): moved-from state is defined
  EXPECT_TRUE(second.loaded());
  second.unload();
  EXPECT_FALSE(second.loaded());
  EXPECT_EQ(second.symbol("SampleAdd"), nullptr);
}

}  // namespace
}  // namespace zel::modules
