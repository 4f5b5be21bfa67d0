#include "ui/core/tree/attribute_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ui {
namespace {

// Writes down every setter that ran, with the state it was given (-1 for none).
struct Target {
  struct Call {
    std::wstring setter;
    int state;
    std::wstring value;
    bool operator==(const Call& other) const {
      return setter == other.setter && state == other.state && value == other.value;
    }
  };
  std::vector<Call> calls;
};

const AttributeTable<Target>& Table() {
  using Value = const std::wstring&;
  static const AttributeTable<Target> table(
      {
          {L"width",
           [](Target& t, Value v) {
             t.calls.push_back({L"width", -1, v});
           }},
          {L"text",
           [](Target& t, Value v) {
             t.calls.push_back({L"text", -1, v});
           }},
      },
      {
          {L"", L"color",
           [](Target& t, ControlState s, Value v) {
             t.calls.push_back({L"color", static_cast<int>(s), v});
           }},
          {L"thumb", L"image",
           [](Target& t, ControlState s, Value v) {
             t.calls.push_back({L"thumbimage", static_cast<int>(s), v});
           }},
      });
  return table;
}

struct ApplyCase {
  const char* name;
  const wchar_t* attribute;
  bool known;
  Target::Call call;  // when known
};

class AttributeTableTest : public ::testing::TestWithParam<ApplyCase> {};

TEST_P(AttributeTableTest, RunsTheSetterOfExactlyItsName) {
  const ApplyCase& c = GetParam();
  Target target;
  EXPECT_EQ(Table().Apply(target, c.attribute, L"v 1"), c.known);
  if (c.known) {
    EXPECT_EQ(target.calls, std::vector<Target::Call>{c.call});
  } else {
    EXPECT_TRUE(target.calls.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, AttributeTableTest,
    ::testing::Values(ApplyCase{"Plain", L"width", true, {L"width", -1, L"v 1"}},
                      ApplyCase{"OtherPlain", L"text", true, {L"text", -1, L"v 1"}},
                      ApplyCase{"Normal", L"normalcolor", true, {L"color", 0, L"v 1"}},
                      ApplyCase{"Hot", L"hotcolor", true, {L"color", 1, L"v 1"}},
                      ApplyCase{"Pushed", L"pushedcolor", true, {L"color", 2, L"v 1"}},
                      ApplyCase{"Disabled", L"disableddcolor", false, {}},
                      ApplyCase{"DisabledExact", L"disabledcolor", true, {L"color", 3, L"v 1"}},
                      ApplyCase{"Prefixed", L"thumbhotimage", true, {L"thumbimage", 1, L"v 1"}},
                      ApplyCase{"PrefixMissing", L"hotimage", false, {}},
                      ApplyCase{"NoState", L"color", false, {}},
                      ApplyCase{"UnknownState", L"warmcolor", false, {}},
                      ApplyCase{"CaseMatters", L"Width", false, {}},
                      ApplyCase{"StateCaseMatters", L"Hotcolor", false, {}},
                      ApplyCase{"Longer", L"widths", false, {}},
                      ApplyCase{"Shorter", L"widt", false, {}}, ApplyCase{"Empty", L"", false, {}}),
    [](const ::testing::TestParamInfo<ApplyCase>& info) { return info.param.name; });

TEST(AttributeStateWords, FollowTheStatesInOrder) {
  EXPECT_STREQ(StateWord(ControlState::kNormal), L"normal");
  EXPECT_STREQ(StateWord(ControlState::kHot), L"hot");
  EXPECT_STREQ(StateWord(ControlState::kPushed), L"pushed");
  EXPECT_STREQ(StateWord(ControlState::kDisabled), L"disabled");
  for (int i = 0; i < kControlStateCount; ++i) {
    ControlState read = ControlState::kNormal;
    ASSERT_TRUE(ParseStateWord(StateWord(static_cast<ControlState>(i)), &read));
    EXPECT_EQ(static_cast<int>(read), i);
  }
}

}  // namespace
}  // namespace ui
