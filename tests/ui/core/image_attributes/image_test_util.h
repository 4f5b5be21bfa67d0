#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/weak_callback.h"
#include "ui/core/image_attributes/i_image_host.h"
#include "ui/core/image_attributes/image_attribute.h"
#include "ui/core/images/image_cache.h"
#include "ui/render/render_context_gdiplus.h"

namespace image_test {

// The full path of a file in the test images folder (tests/data/images).
std::wstring ImagePath(const std::wstring& name);
// The test data folder, ending in a backslash.
std::wstring DataFolder();
// The full path of a large hostile image, written by the image script at build time beside
// the test program.
std::wstring LargeImagePath(const std::wstring& name);
// The whole file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);

// A control as far as images are concerned: an item rectangle, a background image with its
// animation switches, and counters for what the image code asks of it.
class TestImageHost : public ui::IImageHost {
 public:
  std::wstring GetResourceSubFolder() const override { return subFolder; }
  ui::UiRect GetItemRect() const override { return item; }
  ui::UiRect GetPaintRect() const override { return paint.IsEmpty() ? item : paint; }
  void Invalidate() override;
  bool IsHotFadeEnabled() const override { return hotFade; }
  int GetHotAlpha() const override { return hotAlpha; }
  ui::ImageAttribute& GetBkImage() override { return bk; }
  bool IsBkImageAnimationAllowed() const override { return animationAllowed; }
  void SetBkImageAnimationAllowed(bool allowed) override { animationAllowed = allowed; }
  kbase::WeakCallbackFlag& GetBkImageAnimationFlag() override { return animationFlag; }
  void OnBkImageAnimationFinished() override { ++finished; }

  // As the control's "bkimage" attribute: a play count of 0 forbids animation.
  void SetBkImage(const std::wstring& text);

  std::wstring subFolder;
  ui::UiRect item{0, 0, 30, 30};
  ui::UiRect paint;  // empty: the whole item rectangle
  bool hotFade = false;
  int hotAlpha = 0;
  ui::ImageAttribute bk;
  bool animationAllowed = true;
  kbase::WeakCallbackFlag animationFlag;
  int invalidations = 0;
  int finished = 0;
  // Called on every Invalidate, after counting it.
  std::function<void()> onInvalidate;
};

// A real render context that also writes down every PaintBitmap call.
class RecordingContext : public ui::RenderContext_GdiPlus {
 public:
  struct Call {
    ui::UiRect paint;
    HBITMAP bitmap;
    bool hasAlpha;
    ui::UiRect dest;
    ui::UiRect source;
    ui::UiRect corners;
    unsigned char fade;
    bool tileX;
    bool tileY;
  };

  RecordingContext(int width, int height);

  void PaintBitmap(const ui::UiRect& paint, HBITMAP bitmap, bool hasAlpha, const ui::UiRect& dest,
                   const ui::UiRect& source, const ui::UiRect& corners, unsigned char fade,
                   bool tileX, bool tileY) override;

  std::vector<Call> calls;
};

// Counts the decodes of each path while it lives, decoding with the real loader.
class DecodeCounter {
 public:
  DecodeCounter();
  ~DecodeCounter();
  DecodeCounter(const DecodeCounter&) = delete;
  DecodeCounter& operator=(const DecodeCounter&) = delete;

  int total() const { return total_; }

 private:
  int total_ = 0;
};

// Dispatches this thread's messages (the timer queue's among them) until done() holds or the
// time is up; false on time-out.
// The thread's messages, run as the shared pump does (declared here without <windows.h>).
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);
void PumpFor(int ms);

}  // namespace image_test
