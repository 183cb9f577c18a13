#include "platform/modules/module_directory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/modules/library.h"

namespace zel::modules {
namespace {

int anchorInTheProgram = 0;

std::filesystem::path programDirectory() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

TEST(ModuleDirectory, OfTheProgramIsTheProgramsDirectory) {
  EXPECT_EQ(modulePath(&anchorInTheProgram), std::filesystem::read_symlink("/proc/self/exe"));
  EXPECT_EQ(moduleDirectory(&anchorInTheProgram), programDirectory());
}

TEST(ModuleDirectory, OfALoadedLibraryIsThatLibrarysDirectory) {
  Library library = Library::load(programDirectory() / "modules-sample", "zelsample.dll");
  ASSERT_TRUE(library.loaded()) << library.error();
  auto* directoryOf = library.function<int(char*, int)>("SampleDirectory");
  ASSERT_NE(directoryOf, nullptr);
  char buffer[4096];
  ASSERT_GT(directoryOf(buffer, sizeof buffer), 0);
  EXPECT_EQ(std::filesystem::path(buffer), programDirectory() / "modules-sample");
  // An address inside the library found from outside gives the same answer.
  EXPECT_EQ(moduleDirectory(library.symbol("SampleAdd")), programDirectory() / "modules-sample");
}

TEST(ModuleDirectory, AddressOutsideEveryModuleGivesNothing) {
  EXPECT_TRUE(modulePath(nullptr).empty());
  int onTheStack = 0;
  EXPECT_TRUE(moduleDirectory(&onTheStack).empty());
}

TEST(ModuleDirectory, LoadBesideFindsTheCallersCompanions) {
  Library library = Library::loadBeside(&anchorInTheProgram, "zelsample.dll");
  EXPECT_FALSE(library.loaded());  // it is one folder down, not beside the program
  EXPECT_EQ(library.path(), programDirectory() / "libzelsample.so");
}

}  // namespace
}  // namespace zel::modules
