#include "ui/core/image_attributes/image_animation.h"

#include <algorithm>

#include "ui/core/image_attributes/i_image_host.h"
#include "ui/core/image_attributes/image_attribute.h"
#include "ui/services/timer_queue.h"

namespace ui {

namespace {

bool IsAnimated(const ImageAttribute& bk) {
  return bk.image && bk.image->IsAnimated();
}

// A play count of N > 0 allows N cycles; 0 allows only an animation already playing; a
// negative count plays forever.
bool MayContinue(const ImageAttribute& bk) {
  if (bk.playCount < 0) return true;
  return (bk.playCount > 0 && bk.cyclesDone < bk.playCount) || (bk.playCount == 0 && bk.playing);
}

void ScheduleSteps(IImageHost& host, int periodMs) {
  kbase::WeakCallbackFlag& flag = host.GetBkImageAnimationFlag();
  flag.Revoke();
  TimerQueue::Instance().Schedule(
      flag.WeakFlagOf(), [&host] { AnimationStep(host); }, periodMs, TimerQueue::kRepeatForever);
}

void Halt(IImageHost& host) {
  host.GetBkImage().playing = false;
  host.GetBkImageAnimationFlag().Revoke();
}

void Start(IImageHost& host, ImageAttribute& bk) {
  bk.frameIndex = 0;
  host.GetBkImageAnimationFlag().Revoke();
  const int delay = bk.image->FrameDelayMs(0);
  if (delay == 0) return;
  bk.playing = true;
  ScheduleSteps(host, delay);
  host.Invalidate();
}

void Finish(IImageHost& host) {
  host.SetBkImageAnimationAllowed(false);
  StopAnimation(host, kLastFrame);
  // Last, as a handler may destroy the control.
  host.OnBkImageAnimationFinished();
}

void Advance(IImageHost& host, ImageAttribute& bk) {
  const int oldDelay = bk.image->FrameDelayMs(bk.frameIndex);
  if (++bk.frameIndex >= bk.image->FrameCount()) {
    bk.frameIndex = 0;
    ++bk.cyclesDone;
  }
  const int newDelay = bk.image->FrameDelayMs(bk.frameIndex);
  if (!MayContinue(bk)) {
    Finish(host);
    return;
  }
  if (oldDelay == 0 || newDelay == 0) {
    Halt(host);
  } else if (newDelay != oldDelay) {
    ScheduleSteps(host, newDelay);
  }
  host.Invalidate();
}

}  // namespace

void AnimationStep(IImageHost& host) {
  ImageAttribute& bk = host.GetBkImage();
  if (!IsAnimated(bk)) {
    // The background changed under a running timer: nothing is left to step.
    host.GetBkImageAnimationFlag().Revoke();
    return;
  }
  if (!MayContinue(bk)) {
    Halt(host);
    return;
  }
  if (bk.playing) {
    Advance(host, bk);
  } else {
    Start(host, bk);
  }
}

void StopAnimation(IImageHost& host, int frame) {
  ImageAttribute& bk = host.GetBkImage();
  if (!IsAnimated(bk)) return;
  Halt(host);
  const int last = bk.image->FrameCount() - 1;
  if (frame == kLastFrame) {
    bk.frameIndex = last;
  } else if (frame != kCurrentFrame) {
    // A frame beyond the image would leave nothing to draw.
    bk.frameIndex = std::clamp(frame, 0, last);
  }
  host.Invalidate();
}

}  // namespace ui
