#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/kernel/errors.h"
#include "platform/kernel/event.h"
#include "platform/kernel/mutex.h"
#include "platform/kernel/section.h"
#include "platform/kernel/semaphore.h"
#include "platform/kernel/tests/test_support.h"

namespace zel::kernel {
namespace {

using testing::ScopedHandle;
using testing::test_object_name;

std::string all_bytes() {
  std::string s;
  for (int c = 1; c < 256; ++c)
    s.push_back(static_cast<char>(c));
  return s;
}

class OddNameTest : public ::testing::TestWithParam<std::string> {};

TEST_P(OddNameTest, CreatesOpensAndFindsAgain) {
  std::string name = test_object_name("") + GetParam();
  bool existed = true;
  ScopedHandle created(create_event(EventReset::kManual, false, name, &existed));
  ASSERT_NE(created.get(), kNullHandle) << last_error_text();
  EXPECT_FALSE(existed);
  ScopedHandle opened(open_event(name));
  EXPECT_EQ(opened.get(), created.get());
  ScopedHandle again(create_event(EventReset::kAuto, true, name, &existed));
  EXPECT_EQ(again.get(), created.get());
  EXPECT_TRUE(existed);
  EXPECT_EQ(last_error(), Error::kAlreadyExists);
}

INSTANTIATE_TEST_SUITE_P(Names, OddNameTest,
                         ::testing::Values("ConnectMutex 1a2b", "Global\\ZELRelayUpEvent",
                                           "a/b/../c", "..", "%41", "with\nnewline", all_bytes(),
                                           std::string(1500, 'x'), std::string(600, '\\')));

TEST(NameTest, NamesAreCaseSensitiveAndEscapesDoNotCollide) {
  std::string base = test_object_name("");
  ScopedHandle upper(create_event(EventReset::kManual, true, base + "A"));
  ScopedHandle lower(create_event(EventReset::kManual, false, base + "a"));
  ScopedHandle escaped(create_event(EventReset::kManual, false, base + "%41"));
  ASSERT_NE(upper.get(), kNullHandle);
  EXPECT_NE(upper.get(), lower.get());
  EXPECT_NE(upper.get(), escaped.get());
  EXPECT_NE(lower.get(), escaped.get());
}

TEST(NameTest, LongNamesThatShareAPrefixStayApart) {
  std::string prefix(kMaxNameLength - 1, 'p');
  ScopedHandle one(create_event(EventReset::kManual, false, prefix + "1"));
  ScopedHandle two(create_event(EventReset::kManual, false, prefix + "2"));
  ASSERT_NE(one.get(), kNullHandle) << last_error_text();
  ASSERT_NE(two.get(), kNullHandle) << last_error_text();
  EXPECT_NE(one.get(), two.get());
}

TEST(NameTest, RejectsNulAndOverlongNames) {
  std::string with_nul = test_object_name("nul");
  with_nul.push_back('\0');
  with_nul += "tail";
  EXPECT_EQ(create_event(EventReset::kAuto, false, with_nul), kNullHandle);
  EXPECT_EQ(last_error(), Error::kInvalidParameter);
  EXPECT_EQ(create_mutex(false, std::string(kMaxNameLength + 1, 'n')), kNullHandle);
  EXPECT_EQ(last_error(), Error::kNameTooLong);
  EXPECT_EQ(open_event(""), kNullHandle);
  EXPECT_EQ(last_error(), Error::kInvalidParameter);
}

TEST(NameTest, OpeningAMissingNameFails) {
  EXPECT_EQ(open_semaphore(test_object_name("missing")), kNullHandle);
  EXPECT_EQ(last_error(), Error::kNotFound);
}

TEST(NameTest, NamespaceDirectoryIsPerUserAndNamespace) {
  std::string dir = namespace_directory();
  EXPECT_EQ(dir.rfind("/dev/shm/zel-" + std::to_string(getuid()) + "-", 0), 0u) << dir;
  const char* ns = std::getenv("ZEL_NAMESPACE");  // NOLINT(concurrency-mt-unsafe)
  std::string expected_tail = std::string("-") + (ns != nullptr && ns[0] != '\0' ? ns : "default");
  ASSERT_GE(dir.size(), expected_tail.size());
  EXPECT_EQ(dir.substr(dir.size() - expected_tail.size()), expected_tail);
}

// Every kind of object, created under a name.
struct Kind {
  const char* label;
  Handle (*create)(const std::string& name);
  Handle (*open)(const std::string& name);
};

const Kind kKinds[] = {
    {"section", [](const std::string& n) { return create_section(64, n); },
     [](const std::string& n) { return open_section(n); }},
    {"event", [](const std::string& n) { return create_event(EventReset::kAuto, false, n); },
     [](const std::string& n) { return open_event(n); }},
    {"mutex", [](const std::string& n) { return create_mutex(false, n); },
     [](const std::string& n) { return open_mutex(n); }},
    {"semaphore", [](const std::string& n) { return create_semaphore(0, 1, n); },
     [](const std::string& n) { return open_semaphore(n); }},
};

TEST(NameTest, ANameOfOneKindIsNoOtherKind) {
  for (const Kind& owner : kKinds) {
    std::string name = test_object_name(owner.label);
    ScopedHandle object(owner.create(name));
    ASSERT_NE(object.get(), kNullHandle) << owner.label;
    for (const Kind& other : kKinds) {
      if (&other == &owner) continue;
      EXPECT_EQ(other.open(name), kNullHandle) << owner.label << " opened as " << other.label;
      EXPECT_EQ(last_error(), Error::kTypeMismatch);
      EXPECT_EQ(other.create(name), kNullHandle) << owner.label << " created as " << other.label;
      EXPECT_EQ(last_error(), Error::kTypeMismatch);
    }
  }
}

}  // namespace
}  // namespace zel::kernel
