#include "ui/core/tree/state_image_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/core/image_attributes/image_test_util.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/render/render_test_util.h"

namespace ui {
namespace {

using image_test::ImagePath;
using image_test::RecordingContext;
using render_test::Pixel;

// Each state's picture has its own width, so a drawing tells which state it came from.
constexpr int kNormalWidth = 30;   // grid.png
constexpr int kHotWidth = 8;       // opaque_rgba.png
constexpr int kPushedWidth = 16;   // quadrants.jpg
constexpr int kDisabledWidth = 6;  // columns.bmp

std::wstring FileString(const wchar_t* name, const wchar_t* properties = L"") {
  return L"file='" + ImagePath(name) + L"'" + properties;
}

struct Drawn {
  int width;
  int fade;
};

bool operator==(const Drawn& a, const Drawn& b) {
  return a.width == b.width && a.fade == b.fade;
}
void PrintTo(const Drawn& d, std::ostream* out) {
  *out << "{width " << d.width << ", fade " << d.fade << "}";
}

class StateImageSetTest : public ::testing::Test {
 protected:
  StateImageSetTest() { render_test::FillSurface(context_, Pixel{0, 0, 0, 255}); }

  // Sets the states whose letters are in `states` (N, H, P, D).
  void SetImages(const std::string& states) {
    if (states.find('N') != std::string::npos)
      set_.SetImageString(ControlState::kNormal, FileString(L"grid.png", L" fade='200'"));
    if (states.find('H') != std::string::npos)
      set_.SetImageString(ControlState::kHot, FileString(L"opaque_rgba.png", L" fade='100'"));
    if (states.find('P') != std::string::npos)
      set_.SetImageString(ControlState::kPushed, FileString(L"quadrants.jpg"));
    if (states.find('D') != std::string::npos)
      set_.SetImageString(ControlState::kDisabled, FileString(L"columns.bmp"));
  }

  std::vector<Drawn> Paint(ControlState state) {
    context_.calls.clear();
    set_.Paint(context_, state);
    std::vector<Drawn> drawn;
    for (const auto& call : context_.calls) drawn.push_back({call.source.right, call.fade});
    return drawn;
  }

  image_test::TestImageHost host_;
  StateImageSet set_{&host_};
  RecordingContext context_{40, 40};
};

struct FallbackCase {
  const char* states;
  ControlState state;
  std::vector<Drawn> drawn;
};

TEST_F(StateImageSetTest, MissingStatesFallBack) {
  const FallbackCase cases[] = {
      {"NHPD", ControlState::kNormal, {{kNormalWidth, 200}}},
      {"NHPD", ControlState::kHot, {{kHotWidth, 100}}},
      {"NHPD", ControlState::kPushed, {{kPushedWidth, 255}}},
      {"NHPD", ControlState::kDisabled, {{kDisabledWidth, 255}}},
      // Pushed shows the Hot picture, fully opaque.
      {"NH", ControlState::kPushed, {{kHotWidth, 255}}},
      // And Hot, when missing, the Normal one with its own fade.
      {"N", ControlState::kPushed, {{kNormalWidth, 200}}},
      {"N", ControlState::kHot, {{kNormalWidth, 200}}},
      {"N", ControlState::kDisabled, {{kNormalWidth, 200}}},
      {"H", ControlState::kNormal, {}},
      {"", ControlState::kPushed, {}},
  };
  for (const FallbackCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.states << " state " << static_cast<int>(c.state));
    for (ControlState s : {ControlState::kNormal, ControlState::kHot, ControlState::kPushed,
                           ControlState::kDisabled}) {
      set_.SetImageString(s, L"");
    }
    SetImages(c.states);
    EXPECT_EQ(Paint(c.state), c.drawn);
  }
}

TEST_F(StateImageSetTest, PushedFallbackDrawsHotOpaqueAndLeavesHotsFadeAlone) {
  SetImages("NH");
  host_.item = {0, 0, 8, 8};
  ASSERT_EQ(Paint(ControlState::kPushed), (std::vector<Drawn>{{kHotWidth, 255}}));
  EXPECT_EQ(render_test::PixelAt(context_, 3, 3), (Pixel{255, 128, 0, 255}));
  // Hovering afterwards still uses the Hot image's own fade.
  EXPECT_EQ(set_.Get(ControlState::kHot).fade, 100);
  EXPECT_EQ(Paint(ControlState::kHot), (std::vector<Drawn>{{kHotWidth, 100}}));
}

struct HotFadeCase {
  int hotAlpha;
  ControlState state;
  std::vector<Drawn> drawn;
};

TEST_F(StateImageSetTest, HotFadeDrawsNormalThenHotScaledByHotAlpha) {
  SetImages("NHP");
  host_.hotFade = true;
  const HotFadeCase cases[] = {
      {64, ControlState::kNormal, {{kNormalWidth, 200}, {kHotWidth, 100 * 64 / 255}}},
      {64, ControlState::kHot, {{kNormalWidth, 200}, {kHotWidth, 100 * 64 / 255}}},
      {255, ControlState::kHot, {{kNormalWidth, 200}, {kHotWidth, 100}}},
      {0, ControlState::kNormal, {{kNormalWidth, 200}, {kHotWidth, 0}}},
      // Pushed and Disabled are not blended.
      {64, ControlState::kPushed, {{kPushedWidth, 255}}},
      {64, ControlState::kDisabled, {{kNormalWidth, 200}}},
  };
  for (const HotFadeCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "hotAlpha " << c.hotAlpha << " state " << static_cast<int>(c.state));
    host_.hotAlpha = c.hotAlpha;
    EXPECT_EQ(Paint(c.state), c.drawn);
  }
}

TEST_F(StateImageSetTest, HotFadeOfOnePictureCrossFadesOnlyTheFade) {
  host_.hotFade = true;
  set_.SetImageString(ControlState::kNormal, FileString(L"grid.png", L" fade='200'"));
  set_.SetImageString(ControlState::kHot, FileString(L"grid.png", L" fade='100'"));
  const struct {
    int hotAlpha;
    int fade;
  } cases[] = {{0, 200}, {64, (191 * 200 + 64 * 100) / 255}, {128, 149}, {255, 100}};
  for (const auto& c : cases) {
    host_.hotAlpha = c.hotAlpha;
    EXPECT_EQ(Paint(ControlState::kNormal), (std::vector<Drawn>{{kNormalWidth, c.fade}}))
        << "hotAlpha " << c.hotAlpha;
  }
  // Drawn once: over black the result is the picture at the blended fade.
  render_test::FillSurface(context_, Pixel{0, 0, 0, 255});
  host_.hotAlpha = 64;
  Paint(ControlState::kHot);
  const Pixel blended = render_test::PixelAt(context_, 5, 5);
  EXPECT_NEAR(blended.b, 200 * 174 / 255, 2);
  EXPECT_NEAR(blended.r, 40 * 174 / 255, 2);

  // A different source rectangle makes them two pictures again.
  set_.SetImageString(ControlState::kHot,
                      FileString(L"grid.png", L" fade='100' source='0,0,10,10'"));
  EXPECT_EQ(Paint(ControlState::kNormal), (std::vector<Drawn>{{kNormalWidth, 200}, {10, 25}}));
}

TEST_F(StateImageSetTest, QueriesAndReleasingImages) {
  EXPECT_EQ(set_.FirstImageWithFile(), nullptr);
  EXPECT_FALSE(set_.HasHotImage());
  SetImages("PD");
  EXPECT_EQ(set_.FirstImageWithFile(), &set_.Get(ControlState::kPushed));
  SetImages("H");
  EXPECT_TRUE(set_.HasHotImage());
  EXPECT_EQ(set_.FirstImageWithFile(), &set_.Get(ControlState::kHot));

  Paint(ControlState::kPushed);
  const std::wstring pushed = ImagePath(L"quadrants.jpg");
  EXPECT_NE(UiRegistry::FindCachedImage(pushed), nullptr);
  set_.ClearImages();
  EXPECT_EQ(set_.Get(ControlState::kPushed).image, nullptr);
  EXPECT_EQ(UiRegistry::FindCachedImage(pushed), nullptr);
  // The strings stay, so the next paint loads again.
  EXPECT_EQ(Paint(ControlState::kPushed), (std::vector<Drawn>{{kPushedWidth, 255}}));
}

}  // namespace
}  // namespace ui
