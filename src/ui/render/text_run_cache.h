#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/render/pixel_surface.h"
#include "ui/render/render_types.h"

namespace ui {

// Text as drawn once onto a transparent surface of its layout rectangle's size, kept as
// premultiplied pixels: blending it over a surface gives the pixels that drawing the text
// there again would give, without laying the text out again. Only the inked part is kept.
struct TextRun {
  std::vector<uint32_t> pixels;
  UiRect inked;  // relative to the layout rectangle's top left; may reach a little outside
  PixelImage Image() const;
};

// What decides how a text run looks. The text's position does not: text laid out at whole
// pixels looks the same wherever it is.
struct TextRunKey {
  std::wstring text;
  std::wstring fontId;
  UiColor color = 0;  // as the brush gets it
  TextStyle style = 0;
  bool lineLimit = false;
  int width = 0;
  int height = 0;
};

// The most recently used text runs, within a count and a pixel budget. A run is built by
// drawing the text with GDI+ onto a transparent DIB section in a device context of its own
// that uses dc's font, so that unknown font ids fall back to the same font as on dc.
class TextRunCache {
 public:
  static constexpr size_t kMaxRuns = 512;
  static constexpr size_t kMaxPixels = 4 * 1024 * 1024;
  // Larger layout rectangles are drawn directly.
  static constexpr int kMaxSide = 2048;

  // The run, built when missing; null when it could not be built (the caller draws the
  // text directly). Valid until the next call.
  const TextRun* Find(HDC dc, const TextRunKey& key);
  void Clear();
  size_t Size() const { return runs_.size(); }

 private:
  struct Entry {
    std::wstring id;
    TextRun run;
  };

  static std::wstring Identify(HDC dc, const TextRunKey& key);
  static bool Build(HDC dc, const TextRunKey& key, TextRun* run);
  void Trim();

  std::list<Entry> runs_;  // most recently used first
  std::unordered_map<std::wstring, std::list<Entry>::iterator> index_;
  size_t pixels_ = 0;
};

}  // namespace ui
