// Input-method messages read as composition events, with the input method's strings given
// by the test.

#include <gtest/gtest.h>

#include <windows.h>

#include <imm.h>

#include <string>
#include <vector>

#include "engine/input/ime_input.h"

namespace {

using engine::CompositionInput;
using engine::ImeStrings;
using Type = CompositionInput::Type;

struct ImeMessage {
  UINT message;
  LPARAM parts;
  ImeStrings strings;  // what the input method holds when the message comes
};

struct ImeCase {
  const char* name;
  std::vector<ImeMessage> messages;
  std::vector<std::string> expected;  // the events of the last message
};

const LPARAM kComposing = GCS_COMPSTR | GCS_CURSORPOS | GCS_COMPATTR;
const ImeStrings kNothing = {};
const ImeStrings kNi = {L"ni", L"", 1, {}};

std::string Describe(const CompositionInput& c) {
  const char* type = c.type == Type::kUpdate   ? "update"
                     : c.type == Type::kCommit ? "commit"
                                               : "cancel";
  std::string text = std::string(type) + " " + c.text;
  if (c.type == Type::kUpdate) {
    text += " " + std::to_string(c.selectionStart) + "-" + std::to_string(c.selectionEnd);
  }
  return text;
}

const ImeCase kCases[] = {
    {"the start shows nothing yet", {{WM_IME_STARTCOMPOSITION, 0, kNothing}}, {}},
    {"composing text, caret inside",
     {{WM_IME_STARTCOMPOSITION, 0, kNothing}, {WM_IME_COMPOSITION, kComposing, kNi}},
     {"update ni 1-1"}},
    {"no caret named: at the end",
     {{WM_IME_COMPOSITION, GCS_COMPSTR, {L"nihao", L"", -1, {}}}},
     {"update nihao 5-5"}},
    {"the clause being converted is selected",
     {{WM_IME_COMPOSITION,
       kComposing,
       {L"\u4F60\u597D\u5417",
        L"",
        3,
        {ATTR_CONVERTED, ATTR_TARGET_CONVERTED, ATTR_TARGET_CONVERTED}}}},
     {"update \xE4\xBD\xA0\xE5\xA5\xBD\xE5\x90\x97 1-3"}},
    {"committed text is typed",
     {{WM_IME_COMPOSITION, kComposing, kNi},
      {WM_IME_COMPOSITION, GCS_RESULTSTR, {L"", L"\u4F60\u597D", -1, {}}}},
     {"commit \xE4\xBD\xA0\xE5\xA5\xBD"}},
    {"the end after a commit takes nothing back",
     {{WM_IME_COMPOSITION, kComposing, kNi},
      {WM_IME_COMPOSITION, GCS_RESULTSTR | kComposing, {L"", L"\u4F60", -1, {}}},
      {WM_IME_ENDCOMPOSITION, 0, kNothing}},
     {}},
    {"a commit and a new composition in one message",
     {{WM_IME_COMPOSITION, GCS_RESULTSTR | kComposing, {L"hao", L"\u4F60", 2, {}}}},
     {"commit \xE4\xBD\xA0", "update hao 2-2"}},
    {"the end without a commit takes the composition back",
     {{WM_IME_COMPOSITION, kComposing, kNi}, {WM_IME_ENDCOMPOSITION, 0, kNothing}},
     {"cancel "}},
    {"an emptied composition is taken back",
     {{WM_IME_COMPOSITION, kComposing, kNi}, {WM_IME_COMPOSITION, kComposing, kNothing}},
     {"cancel "}},
    {"an end with nothing composed sends nothing", {{WM_IME_ENDCOMPOSITION, 0, kNothing}}, {}},
};

class ImeInput : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::SetImeReader([this](HWND, unsigned long parts) {
      reads_.push_back(parts);
      return current_;
    });
  }
  void TearDown() override { engine::SetImeReader(nullptr); }

  // Ends whatever composition an earlier case left open.
  void Reset() {
    std::vector<CompositionInput> ignored;
    engine::CompositionOf(nullptr, WM_IME_ENDCOMPOSITION, 0, 0, ignored);
  }

  ImeStrings current_;
  std::vector<unsigned long> reads_;
};

TEST_F(ImeInput, MessagesBecomeCompositionEvents) {
  for (const ImeCase& c : kCases) {
    Reset();
    std::vector<CompositionInput> events;
    for (const ImeMessage& m : c.messages) {
      current_ = m.strings;
      ASSERT_TRUE(engine::CompositionOf(nullptr, m.message, 0, m.parts, events)) << c.name;
    }
    std::vector<std::string> described;
    for (const CompositionInput& e : events) described.push_back(Describe(e));
    EXPECT_EQ(described, c.expected) << c.name;
  }
}

TEST_F(ImeInput, TheInputMethodIsAskedForThePartsTheMessageNames) {
  std::vector<CompositionInput> events;
  ASSERT_TRUE(engine::CompositionOf(nullptr, WM_IME_COMPOSITION, 0, GCS_RESULTSTR, events));
  ASSERT_EQ(reads_.size(), 1u);
  EXPECT_EQ(reads_[0], static_cast<unsigned long>(GCS_RESULTSTR));
}

TEST_F(ImeInput, OtherMessagesAreNotTheInputMethods) {
  std::vector<CompositionInput> events;
  EXPECT_FALSE(engine::CompositionOf(nullptr, WM_KEYDOWN, 'A', 0, events));
  EXPECT_FALSE(engine::CompositionOf(nullptr, WM_CHAR, 'a', 0, events));
  EXPECT_TRUE(reads_.empty());
}

}  // namespace
