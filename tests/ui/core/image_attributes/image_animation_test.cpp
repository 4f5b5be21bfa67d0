#include "ui/core/image_attributes/image_animation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "ui/core/image_attributes/image_drawing.h"
#include "ui/core/image_attributes/image_test_util.h"
#include "ui/render/render_test_util.h"
#include "ui/services/timer_queue.h"

namespace ui {
namespace {

using Clock = std::chrono::steady_clock;
using image_test::ImagePath;
using image_test::PumpFor;
using image_test::PumpUntil;
using render_test::Pixel;

const Pixel kRed{0, 0, 255, 255};
const Pixel kBlue{255, 0, 0, 255};

std::wstring Bk(const wchar_t* file, const wchar_t* properties = L"") {
  return L"file='" + ImagePath(file) + L"'" + properties;
}

// A control with an animated background, writing down which frame each invalidation shows
// and when.
class AnimationTest : public ::testing::Test {
 protected:
  struct Shown {
    int frame;
    Clock::time_point when;
  };

  AnimationTest() {
    host_.item = {0, 0, 4, 4};
    host_.onInvalidate = [this] { shown_.push_back({host_.bk.frameIndex, Clock::now()}); };
  }

  // The first paint of the background.
  bool Paint() {
    context_.calls.clear();
    return DrawImage(host_, context_, &host_.bk);
  }
  std::vector<int> Frames() const {
    std::vector<int> frames;
    for (const Shown& s : shown_) frames.push_back(s.frame);
    return frames;
  }
  int MsBetween(size_t from, size_t to) const {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(shown_[to].when - shown_[from].when)
            .count());
  }

  image_test::TestImageHost host_;
  image_test::RecordingContext context_{4, 4};
  std::vector<Shown> shown_;
};

TEST_F(AnimationTest, FramesAdvanceByTheirDelays) {
  host_.SetBkImage(Bk(L"delays.gif"));
  // The first paint starts the animation instead of drawing; the next paint draws.
  ASSERT_TRUE(Paint());
  EXPECT_TRUE(context_.calls.empty());
  EXPECT_TRUE(host_.bk.playing);
  ASSERT_EQ(Frames(), std::vector<int>{0});

  ASSERT_TRUE(PumpUntil([this] { return shown_.size() >= 8; }, 3000));
  EXPECT_EQ(Frames(), (std::vector<int>{0, 1, 2, 3, 4, 5, 0, 1}));
  EXPECT_EQ(host_.bk.cyclesDone, 1);
  // Stored delays 0, 2, 3, 4, 5, 7 show for 100, 100, 50, 50, 50 and 70 ms. Timers never
  // fire early; on a busy machine they may fire much later, so only a frame that never
  // moves on fails the upper bound.
  const int delays[] = {100, 100, 50, 50, 50, 70, 100};
  for (size_t i = 0; i < 7; ++i) {
    SCOPED_TRACE(testing::Message() << "frame " << shown_[i].frame);
    EXPECT_GE(MsBetween(i, i + 1), delays[i] - 2);
    EXPECT_LT(MsBetween(i, i + 1), delays[i] + 1000);
  }

  ASSERT_TRUE(Paint());
  ASSERT_EQ(context_.calls.size(), 1u);
  EXPECT_EQ(context_.calls[0].bitmap, host_.bk.image->Frame(host_.bk.frameIndex));
  StopAnimation(host_, kCurrentFrame);
  EXPECT_FALSE(host_.bk.playing);
  const size_t stopped = shown_.size();
  PumpFor(150);
  EXPECT_EQ(shown_.size(), stopped);
}

TEST_F(AnimationTest, PlayCountPlaysThatManyCyclesAndStopsOnTheLastFrame) {
  const struct {
    const wchar_t* playCount;
    int cycles;
    std::vector<int> frames;
  } cases[] = {
      {L" playcount='1'", 1, {0, 1, 2, 2}},
      {L" playcount='2'", 2, {0, 1, 2, 0, 1, 2, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.playCount));
    shown_.clear();
    host_.finished = 0;
    host_.SetBkImage(Bk(L"three_frames.gif", c.playCount));
    ASSERT_TRUE(host_.animationAllowed);
    ASSERT_TRUE(Paint());
    ASSERT_TRUE(PumpUntil([this] { return host_.finished > 0; }, 2000));
    EXPECT_EQ(Frames(), c.frames);
    EXPECT_EQ(host_.finished, 1);
    EXPECT_EQ(host_.bk.cyclesDone, c.cycles);
    EXPECT_EQ(host_.bk.frameIndex, 2);
    EXPECT_FALSE(host_.bk.playing);
    EXPECT_FALSE(host_.animationAllowed);

    // Later paints draw the last frame and do not start again.
    PumpFor(80);
    EXPECT_EQ(shown_.size(), c.frames.size());
    render_test::FillSurface(context_, Pixel{});
    ASSERT_TRUE(Paint());
    ASSERT_EQ(context_.calls.size(), 1u);
    EXPECT_EQ(render_test::PixelAt(context_, 1, 1), kBlue);
    EXPECT_FALSE(host_.bk.playing);
  }
}

TEST_F(AnimationTest, PlayCountZeroShowsTheFirstFrameWithoutAnimating) {
  host_.SetBkImage(Bk(L"three_frames.gif", L" playcount='0'"));
  EXPECT_FALSE(host_.animationAllowed);
  ASSERT_TRUE(Paint());
  ASSERT_EQ(context_.calls.size(), 1u);
  EXPECT_EQ(render_test::PixelAt(context_, 1, 1), kRed);

  // Even when the control allows it, a count of 0 never starts: the frame is drawn.
  host_.animationAllowed = true;
  ASSERT_TRUE(Paint());
  EXPECT_EQ(context_.calls.size(), 1u);
  EXPECT_FALSE(host_.bk.playing);
  PumpFor(80);
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(host_.bk.frameIndex, 0);
}

TEST(StopAnimationTest, ShowsTheNamedFrameAndCancelsThePendingStep) {
  const struct {
    int frame;
    int shown;
  } cases[] = {{0, 0}, {kLastFrame, 2}, {kCurrentFrame, 1}, {2, 2}, {1, 1}, {7, 2}, {-5, 0}};
  std::vector<std::unique_ptr<image_test::TestImageHost>> hosts;
  image_test::RecordingContext context(4, 4);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "frame " << c.frame);
    hosts.push_back(std::make_unique<image_test::TestImageHost>());
    image_test::TestImageHost& host = *hosts.back();
    host.SetBkImage(Bk(L"three_frames.gif"));
    ASSERT_TRUE(DrawImage(host, context, &host.bk));
    AnimationStep(host);  // to frame 1, without waiting for the timer
    ASSERT_TRUE(host.bk.playing);
    ASSERT_EQ(host.bk.frameIndex, 1);
    const int invalidations = host.invalidations;

    StopAnimation(host, c.frame);
    EXPECT_FALSE(host.bk.playing);
    EXPECT_EQ(host.bk.frameIndex, c.shown);
    EXPECT_EQ(host.invalidations, invalidations + 1);
  }
  // No step comes after a stop (the frames are 50 ms apart).
  PumpFor(90);
  for (size_t i = 0; i < hosts.size(); ++i) {
    EXPECT_EQ(hosts[i]->bk.frameIndex, cases[i].shown) << "frame " << cases[i].frame;
  }
}

TEST(StopAnimationTest, SingleFrameBackgroundIsLeftAlone) {
  image_test::TestImageHost host;
  image_test::RecordingContext context(4, 4);
  host.SetBkImage(Bk(L"grid.png"));
  ASSERT_TRUE(DrawImage(host, context, &host.bk));
  EXPECT_EQ(context.calls.size(), 1u);
  StopAnimation(host, kLastFrame);
  AnimationStep(host);
  EXPECT_EQ(host.bk.frameIndex, 0);
  EXPECT_EQ(host.invalidations, 0);
}

TEST(AnimationLifetimeTest, PendingStepsEndWithTheirControlOrBackground) {
  image_test::RecordingContext context(4, 4);
  auto doomed = std::make_unique<image_test::TestImageHost>();
  doomed->SetBkImage(Bk(L"three_frames.gif"));
  ASSERT_TRUE(DrawImage(*doomed, context, &doomed->bk));
  ASSERT_TRUE(doomed->bk.playing);

  image_test::TestImageHost changed;
  changed.SetBkImage(Bk(L"three_frames.gif"));
  ASSERT_TRUE(DrawImage(changed, context, &changed.bk));
  ASSERT_TRUE(changed.bk.playing);

  doomed.reset();
  changed.bk.SetImageString(Bk(L"grid.png"));
  // Both timers are dropped once they come due instead of running for ever.
  EXPECT_TRUE(PumpUntil([] { return TimerQueue::Instance().PendingCount() == 0; }, 1000));
  EXPECT_EQ(changed.invalidations, 1);
}

}  // namespace
}  // namespace ui
