#include <objidl.h>
#include <windows.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "render_test_util.h"
#include "ui/render/gdiplus_painter.h"
#include "ui/render/render_context_gdiplus.h"

namespace {

using render_test::BoundsWhere;
using render_test::Pixel;
using render_test::PixelAt;
using ui::TextStyle;
using ui::UiRect;

const wchar_t kNSimSun[] = L"\x65B0\x5B8B\x4F53";
const wchar_t kLongText[] = L"The quick brown fox jumps over the lazy dog again and again";

bool Inked(Pixel p) {
  return p.a > 0;
}

int MaxAlpha(ui::IRenderContext& context) {
  int best = 0;
  for (int y = 0; y < context.GetHeight(); ++y) {
    for (int x = 0; x < context.GetWidth(); ++x)
      best = std::max<int>(best, PixelAt(context, x, y).a);
  }
  return best;
}

// A font table of real fonts, reached through the render lookup as the registry does.
class TextTest : public testing::Test {
 protected:
  struct Entry {
    HFONT handle;
    std::wstring face;
    int size;
  };

  void SetUp() override {
    Add(L"", L"Tahoma", 20);  // the default font
    Add(L"big", L"Tahoma", 40);
    Add(L"small", L"Tahoma", 12);
    fonts_[L"nsimsun"] = Entry{fonts_[L""].handle, kNSimSun, 20};
    fonts_[L"nsimsun"].handle = Create(L"Tahoma", 20);
    ui::RenderLookup::SetFontLookup([this](const std::wstring& id, ui::RenderFont* font) {
      lookedUp_.push_back(id);
      auto it = fonts_.find(id);
      if (it == fonts_.end()) return false;
      font->handle = it->second.handle;
      font->faceName = it->second.face;
      font->size = it->second.size;
      return true;
    });
  }

  void TearDown() override {
    for (auto& font : fonts_) DeleteObject(font.second.handle);
  }

  static HFONT Create(const wchar_t* face, int size) {
    return CreateFontW(-size, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, face);
  }
  void Add(const std::wstring& id, const wchar_t* face, int size) {
    fonts_[id] = Entry{Create(face, size), face, size};
  }

  // Ink of a text drawn alone on a cleared surface.
  UiRect Ink(ui::IRenderContext& context, const UiRect& rect, const std::wstring& text,
             const std::wstring& font, TextStyle style, bool lineLimit = false) {
    context.Clear();
    context.PaintText(rect, text, 0xFF000000, font, style, 255, lineLimit);
    return BoundsWhere(context, Inked);
  }

  render_test::LookupReset reset_;
  std::map<std::wstring, Entry> fonts_;
  std::vector<std::wstring> lookedUp_;
};

TEST_F(TextTest, OpaqueTextIsDrawnAtAlpha254) {
  auto context = render_test::MakeContext(120, 50);
  context->PaintText({0, 0, 120, 50}, L"WWW", 0xFF000000, L"big", ui::kTextSingleLine, 255, false);
  EXPECT_EQ(254, MaxAlpha(*context));
  // Over white, a fully covered pixel of red text keeps a trace of the white.
  context->FillColor({0, 0, 120, 50}, 0xFFFFFFFF, 255);
  context->PaintText({0, 0, 120, 50}, L"WWW", 0xFFFF0000, L"big", ui::kTextSingleLine, 255, false);
  int darkest = 255;
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 120; ++x) darkest = std::min<int>(darkest, PixelAt(*context, x, y).g);
  }
  EXPECT_EQ(1, darkest);
}

struct TextAlphaCase {
  ui::UiColor color;
  unsigned char alpha;
  int drawnAlpha;
};

TEST_F(TextTest, TextAlphaIsTheColoursAlphaTimesTheByteAlpha) {
  const TextAlphaCase cases[] = {
      {0xFF000000, 128, 128}, {0xFF000000, 100, 100}, {0x80000000, 255, 128},
      {0x64000000, 51, 20},   {0xFF000000, 0, 0},
  };
  for (const TextAlphaCase& c : cases) {
    auto context = render_test::MakeContext(120, 50);
    context->PaintText({0, 0, 120, 50}, L"WWW", c.color, L"big", 0, c.alpha, false);
    EXPECT_EQ(c.drawnAlpha, MaxAlpha(*context))
        << std::hex << c.color << std::dec << " at " << int(c.alpha);
  }
}

TEST_F(TextTest, EmptyTextDrawsNothing) {
  auto context = render_test::MakeContext(50, 50);
  context->PaintText({0, 0, 50, 50}, L"", 0xFF000000, L"big", 0, 255, false);
  EXPECT_TRUE(BoundsWhere(*context, Inked).IsEmpty());
  EXPECT_TRUE(lookedUp_.empty());
}

TEST_F(TextTest, AlignmentPlacesTheTextInItsRectangle) {
  auto context = render_test::MakeContext(200, 100);
  const UiRect rect{10, 10, 190, 90};
  const TextStyle line = ui::kTextSingleLine;
  const UiRect nearNear = Ink(*context, rect, L"Ag", L"", line);
  const UiRect farFar = Ink(*context, rect, L"Ag", L"", line | ui::kTextRight | ui::kTextBottom);
  const UiRect centred = Ink(*context, rect, L"Ag", L"", line | ui::kTextCenter | ui::kTextVCenter);
  // The right and bottom flags lose to centring.
  const UiRect both =
      Ink(*context, rect, L"Ag", L"",
          line | ui::kTextCenter | ui::kTextRight | ui::kTextVCenter | ui::kTextBottom);
  ASSERT_FALSE(nearNear.IsEmpty());
  EXPECT_LE(std::abs(nearNear.left - 10), 3);
  EXPECT_LE(std::abs(nearNear.top - 10), 8);
  EXPECT_LE(std::abs(farFar.right - 190), 3);
  EXPECT_LE(std::abs(farFar.bottom - 90), 8);
  EXPECT_EQ(nearNear.Width(), farFar.Width());
  const int dx = farFar.left - nearNear.left;
  const int dy = farFar.top - nearNear.top;
  EXPECT_LE(std::abs(centred.left - nearNear.left - dx / 2), 1);
  EXPECT_LE(std::abs(centred.top - nearNear.top - dy / 2), 1);
  EXPECT_EQ(centred, both);
}

TEST_F(TextTest, SingleLineDoesNotWrap) {
  auto context = render_test::MakeContext(200, 200);
  const UiRect oneLine = Ink(*context, {0, 0, 200, 200}, kLongText, L"", ui::kTextSingleLine);
  const UiRect wrapped = Ink(*context, {0, 0, 200, 200}, kLongText, L"", 0);
  EXPECT_LT(oneLine.Height(), 30);
  EXPECT_GT(wrapped.Height(), 3 * 20);
}

// Wine lays text out inside the rectangle and neither clips to it nor trims with an
// ellipsis, whatever the format says, so the format is checked rather than the pixels.
struct FormatCase {
  TextStyle style;
  bool lineLimit;
  ui::TextFormat format;
};

TEST(TextFormatTest, StyleBitsMapToTheStringFormat) {
  using F = ui::TextFormat;
  const int kNoClip = 0x4000, kNoWrap = 0x1000, kLineLimit = 0x2000;
  const FormatCase cases[] = {
      {0, false, F{0, false, 0, 0}},
      {0x10 | 0x800 | 0x400, false, F{0, false, 0, 0}},  // word break and others: ignored
      {ui::kTextNoClip, false, F{kNoClip, false, 0, 0}},
      {ui::kTextSingleLine, false, F{kNoWrap, false, 0, 0}},
      {0, true, F{kLineLimit, false, 0, 0}},
      {ui::kTextNoClip | ui::kTextSingleLine, true, F{kNoClip | kNoWrap | kLineLimit, false, 0, 0}},
      {ui::kTextEndEllipsis, false, F{0, true, 0, 0}},
      {ui::kTextCenter, false, F{0, false, 1, 0}},
      {ui::kTextRight, false, F{0, false, 2, 0}},
      {ui::kTextCenter | ui::kTextRight, false, F{0, false, 1, 0}},
      {ui::kTextVCenter, false, F{0, false, 0, 1}},
      {ui::kTextBottom, false, F{0, false, 0, 2}},
      {ui::kTextVCenter | ui::kTextBottom, false, F{0, false, 0, 1}},
  };
  for (const FormatCase& c : cases) {
    const F actual = F::ForDrawing(c.style, c.lineLimit);
    EXPECT_TRUE(c.format == actual)
        << std::hex << "style " << c.style << " line limit " << c.lineLimit << ": flags "
        << actual.flags << " ellipsis " << actual.ellipsis << " align " << actual.align
        << " line align " << actual.lineAlign;
  }
}

TEST_F(TextTest, LineLimitDropsLinesThatDoNotFitWhole) {
  auto context = render_test::MakeContext(200, 100);
  const ui::UiRect line = context->MeasureText(L"Ag", L"", ui::kTextSingleLine, -1);
  // Room for one and a half lines.
  const UiRect rect{0, 0, 200, line.Height() * 3 / 2};
  const UiRect partial = Ink(*context, rect, kLongText, L"", 0, false);
  const UiRect limited = Ink(*context, rect, kLongText, L"", 0, true);
  EXPECT_GT(partial.bottom, line.Height() + 1);
  EXPECT_LE(limited.bottom, line.Height());
}

TEST_F(TextTest, FontsComeFromTheTableAndAnEmptyIdIsTheDefault) {
  auto context = render_test::MakeContext(10, 10);
  const int big = context->MeasureText(L"Ag", L"big", 0, -1).Height();
  const int small = context->MeasureText(L"Ag", L"small", 0, -1).Height();
  const int byDefault = context->MeasureText(L"Ag", L"", 0, -1).Height();
  EXPECT_GT(big, 2 * small);
  EXPECT_GT(byDefault, small);
  EXPECT_LT(byDefault, big);
  ASSERT_EQ(3u, lookedUp_.size());
  EXPECT_EQ(L"", lookedUp_[2]);
}

TEST_F(TextTest, UnknownFontsFallBackToTheFontOfTheDc) {
  auto context = render_test::MakeContext(300, 100);
  HFONT big = Create(L"Tahoma", 40);
  HFONT small = Create(L"Tahoma", 12);
  HGDIOBJ old = SelectObject(context->GetDc(), big);
  const int withBig = context->MeasureText(L"Ag", L"nonesuch", 0, -1).Height();
  const UiRect bigInk = Ink(*context, {0, 0, 300, 100}, L"Ag", L"nonesuch", 0);
  SelectObject(context->GetDc(), small);
  const int withSmall = context->MeasureText(L"Ag", L"nonesuch", 0, -1).Height();
  const UiRect smallInk = Ink(*context, {0, 0, 300, 100}, L"Ag", L"nonesuch", 0);
  SelectObject(context->GetDc(), old);
  DeleteObject(big);
  DeleteObject(small);
  EXPECT_GT(withBig, 2 * withSmall);
  EXPECT_GT(bigInk.Height(), 2 * smallInk.Height());
}

TEST_F(TextTest, NSimSunMovesDownOnePixelWhenCentredVertically) {
  auto context = render_test::MakeContext(200, 60);
  const TextStyle centred = ui::kTextSingleLine | ui::kTextVCenter;
  // The two ids share the font; only the face name differs.
  const UiRect tall{0, 0, 200, 40};  // height 40 >= 20 + 2
  EXPECT_EQ(Ink(*context, tall, L"Ag", L"", centred).top + 1,
            Ink(*context, tall, L"Ag", L"nsimsun", centred).top);
  const UiRect exact{0, 0, 200, 22};
  EXPECT_EQ(Ink(*context, exact, L"Ag", L"", centred).top + 1,
            Ink(*context, exact, L"Ag", L"nsimsun", centred).top);
  const UiRect low{0, 0, 200, 21};
  EXPECT_EQ(Ink(*context, low, L"Ag", L"", centred).top,
            Ink(*context, low, L"Ag", L"nsimsun", centred).top);
  EXPECT_EQ(Ink(*context, tall, L"Ag", L"", ui::kTextSingleLine).top,
            Ink(*context, tall, L"Ag", L"nsimsun", ui::kTextSingleLine).top);
}

TEST_F(TextTest, TextFollowsTheOrigin) {
  auto context = render_test::MakeContext(200, 60);
  const UiRect plain = Ink(*context, {40, 10, 200, 60}, L"Ag", L"", 0);
  context->SetOrigin({-30, -7});
  const UiRect moved = Ink(*context, {40, 10, 200, 60}, L"Ag", L"", 0);
  EXPECT_EQ(plain.left + 30, moved.left);
  EXPECT_EQ(plain.top + 7, moved.top);
}

// The exact bounds as the platform measures them with the generic typographic format.
Gdiplus::RectF ExactBounds(HDC dc, HFONT handle, const std::wstring& text, bool singleLine,
                           Gdiplus::RectF layout) {
  namespace gp = Gdiplus::DllExports;
  Gdiplus::GpGraphics* graphics = nullptr;
  gp::GdipCreateFromHDC(dc, &graphics);
  LOGFONTW description = {};
  GetObjectW(handle, sizeof(description), &description);
  Gdiplus::GpFont* font = nullptr;
  gp::GdipCreateFontFromLogfontW(dc, &description, &font);
  Gdiplus::GpStringFormat* generic = nullptr;
  Gdiplus::GpStringFormat* format = nullptr;
  gp::GdipStringFormatGetGenericTypographic(&generic);
  gp::GdipCloneStringFormat(generic, &format);
  if (singleLine) {
    INT flags = 0;
    gp::GdipGetStringFormatFlags(format, &flags);
    gp::GdipSetStringFormatFlags(format, flags | Gdiplus::StringFormatFlagsNoWrap);
  }
  Gdiplus::RectF bounds;
  gp::GdipMeasureString(graphics, text.c_str(), static_cast<INT>(text.size()), font, &layout,
                        format, &bounds, nullptr, nullptr);
  gp::GdipDeleteStringFormat(format);
  gp::GdipDeleteFont(font);
  gp::GdipDeleteGraphics(graphics);
  return bounds;
}

TEST_F(TextTest, MeasureIsOnePixelBeyondTheExactBounds) {
  auto context = render_test::MakeContext(10, 10);
  for (const wchar_t* text : {L"Ag", L"WWW", L"i", kLongText}) {
    const Gdiplus::RectF exact =
        ExactBounds(context->GetDc(), fonts_[L"big"].handle, text, false, {0, 0, 0, 0});
    const UiRect measured = context->MeasureText(text, L"big", 0, -1);
    EXPECT_EQ(static_cast<int>(exact.X), measured.left) << text;
    EXPECT_EQ(static_cast<int>(exact.Y), measured.top) << text;
    EXPECT_EQ(static_cast<int>(exact.X + exact.Width + 1), measured.right) << text;
    EXPECT_EQ(static_cast<int>(exact.Y + exact.Height + 1), measured.bottom) << text;
  }
}

TEST_F(TextTest, MeasuredBoundsHoldTheDrawnText) {
  auto context = render_test::MakeContext(300, 100);
  for (const wchar_t* text : {L"Ag", L"WWW", L"jiffy"}) {
    const UiRect measured = context->MeasureText(text, L"big", 0, -1);
    const UiRect ink = Ink(*context, {0, 0, 300, 100}, text, L"big", ui::kTextNoClip);
    EXPECT_LE(ink.right, measured.right) << text;
    EXPECT_LE(ink.bottom, measured.bottom) << text;
  }
}

TEST_F(TextTest, SingleLineMeasureWithAWidthIsOneLineHigh) {
  auto context = render_test::MakeContext(10, 10);
  const int lineHeight =
      context->MeasureText(L"\x6D4B\x8BD5", L"", ui::kTextSingleLine, -1).Height();
  const UiRect single = context->MeasureText(kLongText, L"", ui::kTextSingleLine, 100);
  const UiRect wrapped = context->MeasureText(kLongText, L"", 0, 100);
  const UiRect unlimited = context->MeasureText(kLongText, L"", ui::kTextSingleLine, -1);
  EXPECT_EQ(lineHeight, single.Height());
  EXPECT_LE(single.right, 101);
  EXPECT_GT(wrapped.Height(), 3 * lineHeight);
  EXPECT_LE(wrapped.right, 101);
  EXPECT_EQ(lineHeight, unlimited.Height());
  EXPECT_GT(unlimited.right, 300);
}

}  // namespace
