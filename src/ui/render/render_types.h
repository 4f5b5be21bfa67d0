#pragma once

#include <cstdint>

// Native handle types, declared the way <windows.h> declares them so that interface headers
// need not pull it in.
struct HDC__;
struct HBITMAP__;
struct HFONT__;
typedef HDC__* HDC;
typedef HBITMAP__* HBITMAP;
typedef HFONT__* HFONT;

namespace ui {

// 32-bit ARGB, alpha in the top byte.
using UiColor = std::uint32_t;

// Bit set with the values of the Win32 text-format flags; only the bits named below are
// read, the rest are ignored.
using TextStyle = std::uint32_t;
constexpr TextStyle kTextCenter = 0x1;          // DT_CENTER
constexpr TextStyle kTextRight = 0x2;           // DT_RIGHT
constexpr TextStyle kTextVCenter = 0x4;         // DT_VCENTER
constexpr TextStyle kTextBottom = 0x8;          // DT_BOTTOM
constexpr TextStyle kTextSingleLine = 0x20;     // DT_SINGLELINE
constexpr TextStyle kTextNoClip = 0x100;        // DT_NOCLIP
constexpr TextStyle kTextEndEllipsis = 0x8000;  // DT_END_ELLIPSIS

struct UiPoint {
  int x = 0;
  int y = 0;
};

struct UiSize {
  int cx = 0;
  int cy = 0;
};

// Right and bottom are exclusive.
struct UiRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  void Offset(int dx, int dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
  }
  bool Contains(const UiPoint& point) const {
    return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
  }
  // Empty rectangles intersect nothing.
  bool Intersects(const UiRect& other) const {
    return !IsEmpty() && !other.IsEmpty() && left < other.right && other.left < right &&
           top < other.bottom && other.top < bottom;
  }
  UiRect Intersection(const UiRect& other) const;
};

inline bool operator==(const UiPoint& a, const UiPoint& b) {
  return a.x == b.x && a.y == b.y;
}
inline bool operator==(const UiSize& a, const UiSize& b) {
  return a.cx == b.cx && a.cy == b.cy;
}
inline bool operator==(const UiRect& a, const UiRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const UiRect& a, const UiRect& b) {
  return !(a == b);
}

inline UiRect UiRect::Intersection(const UiRect& other) const {
  UiRect r{left > other.left ? left : other.left, top > other.top ? top : other.top,
           right < other.right ? right : other.right,
           bottom < other.bottom ? bottom : other.bottom};
  if (r.IsEmpty()) return UiRect{};
  return r;
}

}  // namespace ui
