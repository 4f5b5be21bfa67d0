#pragma once

namespace ui {

class IImageHost;

// Frames StopAnimation can name besides a frame number.
constexpr int kCurrentFrame = -1;
constexpr int kLastFrame = 0xFFFF;

// One step of the host's animated background image, run by the timer queue while the
// image plays: the first step shows frame 0 and starts a repeating timer with that frame's
// delay; each later step shows the next frame, retimes the timer when the delay changes,
// and after the last cycle of the play count stops on the last frame, forbids further
// animation and tells the host. Does nothing for a background with one frame.
void AnimationStep(IImageHost& host);

// Stops the host's animated background image and shows frame 0, the last frame
// (kLastFrame), the current one (kCurrentFrame) or the given frame (kept within the
// image's frames). Does nothing unless the background is animated.
void StopAnimation(IImageHost& host, int frame);

}  // namespace ui
