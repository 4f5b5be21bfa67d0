#pragma once

#include <windows.h>

#include <string>

// The benchmark's baseline: the same drawing done with direct GDI and GDI+ calls, with
// nothing in between, on a given dc and its top-down 32-bit surface (the render context's
// own, so that both draw into the same memory).
class DirectPainter {
 public:
  DirectPainter(HDC dc, void* bits, int width, int height)
      : dc_(dc), bits_(static_cast<unsigned char*>(bits)), width_(width), height_(height) {}

  void FillColor(const RECT& rect, DWORD argb);
  void FillGradient(const RECT& rect, DWORD top, DWORD bottom);
  void StretchBitmap(HBITMAP bitmap, const RECT& dest, const RECT& source);
  // Nine pieces, corners at their size, blended per pixel.
  void NineGrid(HBITMAP bitmap, const RECT& dest, const RECT& source, int corner);
  // One piece at its size, blended per pixel.
  void Blend(HBITMAP bitmap, const RECT& dest, const RECT& source);
  void BlendDc(HDC source, const RECT& dest, const RECT& from, BYTE alpha);
  // The image repeated at its size over dest.
  void Tile(HBITMAP bitmap, const RECT& dest, int size);
  void DrawText(const RECT& rect, const std::wstring& text, DWORD argb, HFONT font);
  void Clear();
  void ResetAndMakeOpaque(const RECT& rect, int inset);

 private:
  HDC dc_;
  unsigned char* bits_;
  int width_;
  int height_;
};
