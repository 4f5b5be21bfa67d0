#include "ui/render/text_run_cache.h"

#include <windows.h>

#include <cstring>

#include "ui/render/gdi_bitmap.h"
#include "ui/render/gdiplus_painter.h"
#include "ui/render/render_lookup.h"

namespace ui {

namespace {

void AppendBytes(std::wstring* out, const void* bytes, size_t size) {
  const size_t at = out->size();
  out->resize(at + (size + 1) / 2);
  std::memcpy(&(*out)[at], bytes, size);
}

// The font that drawing with this id on dc would use, as a description.
void AppendFont(HDC dc, const std::wstring& fontId, std::wstring* out) {
  RenderFont entry;
  HGDIOBJ font = RenderLookup::FindFont(fontId, &entry) && entry.handle
                     ? static_cast<HGDIOBJ>(entry.handle)
                     : ::GetCurrentObject(dc, OBJ_FONT);
  LOGFONTW description = {};
  ::GetObjectW(font, sizeof(description), &description);
  AppendBytes(out, &description, sizeof(description));
  out->append(entry.faceName.data(), entry.faceName.size());
  out->push_back(0);
  AppendBytes(out, &entry.size, sizeof(entry.size));
}

UiRect InkedBounds(const uint32_t* pixels, int width, int height) {
  UiRect bounds{width, height, 0, 0};
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      if (row[x] == 0) continue;
      if (x < bounds.left) bounds.left = x;
      if (x >= bounds.right) bounds.right = x + 1;
      if (y < bounds.top) bounds.top = y;
      bounds.bottom = y + 1;
    }
  }
  return bounds.IsEmpty() ? UiRect{} : bounds;
}

// Glyphs may overhang the layout rectangle by their bearings, which GDI+ draws; the run's
// surface leaves room for that around the rectangle.
constexpr int kOverhang = 8;

}  // namespace

PixelImage TextRun::Image() const {
  PixelImage image;
  image.bits = pixels.data();
  image.width = inked.Width();
  image.height = inked.Height();
  return image;
}

std::wstring TextRunCache::Identify(HDC dc, const TextRunKey& key) {
  std::wstring id = key.text;
  id.push_back(0);
  AppendFont(dc, key.fontId, &id);
  const int32_t numbers[] = {static_cast<int32_t>(key.color), static_cast<int32_t>(key.style),
                             key.lineLimit ? 1 : 0, key.width, key.height};
  AppendBytes(&id, numbers, sizeof(numbers));
  return id;
}

bool TextRunCache::Build(HDC dc, const TextRunKey& key, TextRun* run) {
  HDC memory = ::CreateCompatibleDC(dc);
  if (!memory) return false;
  bool built = false;
  {
    GdiBitmap surface;
    const int width = key.width + 2 * kOverhang;
    const int height = key.height + 2 * kOverhang;
    if (surface.Create(memory, width, height, true)) {
      HGDIOBJ previousBitmap = ::SelectObject(memory, surface.GetHandle());
      HGDIOBJ previousFont = ::SelectObject(memory, ::GetCurrentObject(dc, OBJ_FONT));
      GdiPlusPainter(memory).DrawString(
          {kOverhang, kOverhang, kOverhang + key.width, kOverhang + key.height}, key.text,
          key.color, key.fontId, key.style, key.lineLimit);
      ::GdiFlush();
      const auto* pixels = static_cast<const uint32_t*>(surface.GetPixelBits());
      const UiRect inked = InkedBounds(pixels, width, height);
      run->pixels.clear();
      for (int y = inked.top; y < inked.bottom; ++y) {
        const uint32_t* row = pixels + static_cast<size_t>(y) * width;
        run->pixels.insert(run->pixels.end(), row + inked.left, row + inked.right);
      }
      run->inked = inked;
      if (!inked.IsEmpty()) run->inked.Offset(-kOverhang, -kOverhang);
      ::SelectObject(memory, previousFont);
      ::SelectObject(memory, previousBitmap);
      built = true;
    }
  }
  ::DeleteDC(memory);
  return built;
}

const TextRun* TextRunCache::Find(HDC dc, const TextRunKey& key) {
  if (key.width <= 0 || key.height <= 0 || key.width > kMaxSide || key.height > kMaxSide) {
    return nullptr;
  }
  std::wstring id = Identify(dc, key);
  auto found = index_.find(id);
  if (found != index_.end()) {
    runs_.splice(runs_.begin(), runs_, found->second);
    return &runs_.front().run;
  }
  TextRun run;
  if (!Build(dc, key, &run)) return nullptr;
  pixels_ += run.pixels.size();
  runs_.push_front(Entry{id, std::move(run)});
  index_.emplace(std::move(id), runs_.begin());
  Trim();
  return &runs_.front().run;
}

void TextRunCache::Trim() {
  // The newest run stays even when it alone is over the budget.
  while (runs_.size() > 1 && (runs_.size() > kMaxRuns || pixels_ > kMaxPixels)) {
    pixels_ -= runs_.back().run.pixels.size();
    index_.erase(runs_.back().id);
    runs_.pop_back();
  }
}

void TextRunCache::Clear() {
  runs_.clear();
  index_.clear();
  pixels_ = 0;
}

}  // namespace ui
