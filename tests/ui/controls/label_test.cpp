#include "ui/controls/label.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/control_test_util.h"
#include "ui/render/render_context_gdiplus.h"

namespace ui {
namespace {

using control_test::TestWindow;
using control_test::UiScope;

struct AlignCase {
  const char* name;
  TextStyle start;
  const wchar_t* words;
  TextStyle expected;
};

class AlignTest : public ::testing::TestWithParam<AlignCase> {};

TEST_P(AlignTest, WordsChangeTheStyle) {
  EXPECT_EQ(ApplyAlignWords(GetParam().start, GetParam().words), GetParam().expected);
}

constexpr TextStyle kLabel = 0x8120;
constexpr TextStyle kButton = 0x8125;

INSTANTIATE_TEST_SUITE_P(
    Words, AlignTest,
    ::testing::Values(AlignCase{"LabelDefault", kLabel, L"", kLabel},
                      AlignCase{"Center", kLabel, L"center", 0x8121},
                      AlignCase{"Right", kButton, L"right", 0x8102},
                      AlignCase{"Left", kButton, L"left", 0x8100},
                      // Whole words: "vcenter" does not also centre horizontally.
                      AlignCase{"LeftVCenter", kLabel, L"left vcenter", 0x8124},
                      AlignCase{"RightVCenter", kLabel, L"right vcenter", 0x8126},
                      AlignCase{"Top", kButton, L"top", 0x8121},
                      AlignCase{"CenterBottom", kLabel, L"center bottom", 0x8129},
                      AlignCase{"UnknownWords", kButton, L"middle leftish", kButton}),
    [](const ::testing::TestParamInfo<AlignCase>& info) { return info.param.name; });

// A surface that writes down every text drawn on it.
class TextRecorder : public RenderContext_GdiPlus {
 public:
  struct Draw {
    UiRect rect;
    std::wstring text;
    UiColor color;
    TextStyle style;
    unsigned char alpha;
  };
  void PaintText(const UiRect& rect, const std::wstring& text, UiColor color,
                 const std::wstring& fontId, TextStyle style, unsigned char alpha,
                 bool lineLimit) override {
    draws.push_back(Draw{rect, text, color, style, alpha});
    RenderContext_GdiPlus::PaintText(rect, text, color, fontId, style, alpha, lineLimit);
  }
  std::vector<Draw> draws;
};

class LabelTest : public ::testing::Test {
 protected:
  LabelTest() {
    UiRegistry::AddTextColor(L"black", L"#FF000000");
    UiRegistry::AddTextColor(L"hotred", L"#FFFF0000");
    UiRegistry::AddTextColor(L"grey", L"#FF808080");
    UiRegistry::AddTextColor(L"pushgreen", L"#FF00FF00");
    UiRegistry::AddFont(L"", L"system", 10, false, false, false, true);
    context_.Resize(200, 50, true);
  }

  Label* AddLabel(const std::wstring& attributes) {
    auto* root = new Box();
    auto* label = new Label();
    label->ApplyAttributeList(attributes);
    root->Add(label);
    window_.AttachRoot(root);
    window_.Layout(UiRect{0, 0, 200, 50});
    return label;
  }

  UiScope ui_;
  TestWindow window_;
  TextRecorder context_;
};

TEST_F(LabelTest, EmptyTextPaintsNothingAndWantsNoRoom) {
  Label* label = AddLabel(L"normaltextcolor=\"black\"");
  EXPECT_EQ(label->EstimateSize(UiSize{200, 50}), (UiSize{0, 0}));
  label->PaintText(context_);
  EXPECT_TRUE(context_.draws.empty());
}

TEST_F(LabelTest, EstimateIsTheMeasuredTextAndItsPadding) {
  for (const wchar_t* padding : {L"2,3,4,5", L"2;3;4;5"}) {
    Label* label = AddLabel(std::wstring(L"text=\"Hello\" textpadding=\"") + padding + L"\"");
    const UiRect measured = window_.GetRenderContext()->MeasureText(
        L"Hello", L"", label->GetTextStyle() | kTextSingleLine, 0);
    ASSERT_GT(measured.Width(), 0);
    EXPECT_EQ(label->EstimateSize(UiSize{200, 50}),
              (UiSize{measured.Width() + 6, measured.Height() + 8}))
        << padding;
    EXPECT_EQ(label->GetPosition(), (UiRect{0, 0, measured.Width() + 6, measured.Height() + 8}));
    label->PaintText(context_);
    ASSERT_FALSE(context_.draws.empty());
    EXPECT_EQ(context_.draws.back().rect,
              (UiRect{2, 3, measured.Width() + 2, measured.Height() + 3}));
  }
}

TEST_F(LabelTest, NarrowRoomWrapsAMultiLineLabel) {
  auto* root = new Box();
  auto* label = new Label();
  label->ApplyAttributeList(L"text=\"one two three four five six\" singleline=\"false\"");
  root->Add(label);
  window_.AttachRoot(root);
  const UiSize wide = label->EstimateSize(UiSize{1000, 500});
  label->SetNeedsEstimate(true);
  const UiSize narrow = label->EstimateSize(UiSize{40, 500});
  EXPECT_EQ(narrow.cx, 40);
  EXPECT_GT(narrow.cy, wide.cy);
}

TEST_F(LabelTest, TextIdShowsTheLanguageString) {
  Label* label = AddLabel(L"textid=\"no-such-id\"");
  EXPECT_EQ(label->GetText(), L"");
  label->SetText(L"own");
  EXPECT_EQ(label->GetText(), L"own");
  EXPECT_EQ(label->GetUtf8Text(), "own");
}

TEST_F(LabelTest, WithoutAWindowTheEstimateIsEmpty) {
  Label label;
  label.SetText(L"nothing to measure with");
  EXPECT_EQ(label.EstimateSize(UiSize{200, 50}), (UiSize{0, 0}));
}

struct ColourCase {
  const char* name;
  const wchar_t* attributes;
  ControlState state;
  int hotAlpha;
  std::vector<std::pair<UiColor, int>> draws;  // colour and alpha of each draw
};

class TextColourTest : public LabelTest, public ::testing::WithParamInterface<ColourCase> {};

TEST_P(TextColourTest, StateChoosesTheColour) {
  Label* label =
      AddLabel(std::wstring(L"text=\"x\" normaltextcolor=\"black\" ") + GetParam().attributes);
  label->SetState(GetParam().state);
  label->SetHotAlpha(GetParam().hotAlpha);
  label->PaintText(context_);
  std::vector<std::pair<UiColor, int>> seen;
  for (const auto& draw : context_.draws) seen.emplace_back(draw.color, draw.alpha);
  EXPECT_EQ(seen, GetParam().draws);
}

INSTANTIATE_TEST_SUITE_P(
    States, TextColourTest,
    ::testing::Values(
        ColourCase{"Normal", L"", ControlState::kNormal, 0, {{0xFF000000, 255}}},
        ColourCase{"PushedFallsBackToNormal", L"", ControlState::kPushed, 0, {{0xFF000000, 255}}},
        // Pushed shows the hot look, which with the hot fade is the normal text under the hot.
        ColourCase{"PushedFallsBackToHot",
                   L"hottextcolor=\"hotred\"",
                   ControlState::kPushed,
                   255,
                   {{0xFF000000, 255}, {0xFFFF0000, 255}}},
        ColourCase{"PushedOwnColour",
                   L"hottextcolor=\"hotred\" pushedtextcolor=\"pushgreen\"",
                   ControlState::kPushed,
                   255,
                   {{0xFF00FF00, 255}}},
        ColourCase{"DisabledColour",
                   L"disabledtextcolor=\"grey\"",
                   ControlState::kDisabled,
                   0,
                   {{0xFF808080, 255}}},
        // The hot fade: normal, then hot over it at the hot alpha.
        ColourCase{"HotFadeHalfway",
                   L"hottextcolor=\"hotred\"",
                   ControlState::kHot,
                   128,
                   {{0xFF000000, 255}, {0xFFFF0000, 128}}},
        ColourCase{"HotFadeNotStarted",
                   L"hottextcolor=\"hotred\"",
                   ControlState::kNormal,
                   0,
                   {{0xFF000000, 255}}}),
    [](const ::testing::TestParamInfo<ColourCase>& info) { return info.param.name; });

TEST_F(LabelTest, SelectedCheckBoxDrawsItsSelectedTextColourOnce) {
  auto* root = new Box();
  auto* box = new CheckBox();
  box->ApplyAttributeList(
      L"text=\"x\" normaltextcolor=\"black\" hottextcolor=\"hotred\" "
      L"selectedtextcolor=\"pushgreen\" disabledtextcolor=\"grey\"");
  root->Add(box);
  window_.AttachRoot(root);
  window_.Layout(UiRect{0, 0, 200, 50});
  box->SetSelected(true, false);
  box->SetHotAlpha(128);
  box->PaintText(context_);
  ASSERT_EQ(context_.draws.size(), 1u);
  EXPECT_EQ(context_.draws[0].color, 0xFF00FF00u);
  box->SetEnabled(false);
  box->PaintText(context_);
  EXPECT_EQ(context_.draws.back().color, 0xFF808080u);
}

}  // namespace
}  // namespace ui
