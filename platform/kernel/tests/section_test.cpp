#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/kernel/errors.h"
#include "platform/kernel/event.h"
#include "platform/kernel/section.h"
#include "platform/kernel/tests/test_support.h"

namespace zel::kernel {
namespace {

using testing::ScopedHandle;
using testing::test_object_name;

TEST(SectionTest, NewSectionIsZeroFilledAndViewsShareIt) {
  constexpr uint64_t kSize = 75600;  // not a multiple of the page size
  ScopedHandle section(create_section(kSize, test_object_name("area")));
  ASSERT_NE(section.get(), kNullHandle) << last_error_text();
  EXPECT_EQ(section_size(section), kSize);
  auto* first = static_cast<unsigned char*>(map_view(section));
  auto* second = static_cast<unsigned char*>(map_view(section));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  for (uint64_t i = 0; i < kSize; ++i)
    ASSERT_EQ(first[i], 0) << i;
  std::memcpy(first + kSize - 4, "abcd", 4);
  EXPECT_EQ(std::memcmp(second + kSize - 4, "abcd", 4), 0);
  EXPECT_TRUE(unmap_view(first));
  EXPECT_TRUE(unmap_view(second));
  EXPECT_FALSE(unmap_view(second));
  EXPECT_EQ(last_error(), Error::kInvalidParameter);
}

TEST(SectionTest, CreatingAnExistingNameKeepsItsSizeAndContents) {
  std::string name = test_object_name("area");
  ScopedHandle section(create_section(4096, name));
  auto* view = static_cast<uint32_t*>(map_view(section));
  ASSERT_NE(view, nullptr);
  view[10] = 0xfeedbeef;
  bool existed = false;
  ScopedHandle again(create_section(100, name, &existed));
  EXPECT_TRUE(existed);
  EXPECT_EQ(section_size(again), 4096u);
  auto* other = static_cast<uint32_t*>(map_view(again));
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other[10], 0xfeedbeefu);
  unmap_view(other);
  unmap_view(view);
}

TEST(SectionTest, AViewKeepsTheSectionAfterItsHandleCloses) {
  std::string name = test_object_name("area");
  Handle section = create_section(128, name);
  auto* view = static_cast<uint32_t*>(map_view(section));
  ASSERT_NE(view, nullptr);
  view[0] = 42;
  ASSERT_TRUE(close_handle(section));
  ScopedHandle reopened(open_section(name));
  ASSERT_NE(reopened.get(), kNullHandle);
  auto* again = static_cast<uint32_t*>(map_view(reopened));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again[0], 42u);
  unmap_view(again);
  unmap_view(view);
}

TEST(SectionTest, GoneWithItsLastHandleAndView) {
  std::string name = test_object_name("area");
  Handle section = create_section(128, name);
  void* view = map_view(section);
  close_handle(section);
  unmap_view(view);
  EXPECT_EQ(open_section(name), kNullHandle);
  EXPECT_EQ(last_error(), Error::kNotFound);
}

TEST(SectionTest, RejectsBadSizesAndOtherHandles) {
  EXPECT_EQ(create_section(0), kNullHandle);
  EXPECT_EQ(last_error(), Error::kInvalidParameter);
  ScopedHandle event(create_event(EventReset::kAuto, false));
  EXPECT_EQ(map_view(event), nullptr);
  EXPECT_EQ(last_error(), Error::kInvalidHandle);
  EXPECT_EQ(section_size(event), 0u);
}

}  // namespace
}  // namespace zel::kernel
