#include "ui/controls/rich_edit.h"

#include <algorithm>
#include <cwctype>

#include "runtime/string_util.h"
#include "ui/controls/c_txt_win_host.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/image_attributes/image_drawing.h"
#include "ui/core/resources/language_strings.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/attribute_values.h"
#include "ui/core/tree/i_control_window.h"
#include "ui/core/tree/layout.h"
#include "ui/core/window/window.h"
#include "ui/render/i_render_context.h"
#include "ui/services/timer_queue.h"

namespace ui {
namespace {

constexpr LONG kTabStopTwips = 720;
constexpr int kTwipsPerInch = 1440;
constexpr UiColor kDefaultCaretColor = 0xFF000000;

COLORREF ToColorRef(UiColor argb) {
  return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

int WindowDpiY(HWND window) {
  HDC dc = ::GetDC(window);
  const int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc) ::ReleaseDC(window, dc);
  return dpi > 0 ? dpi : 96;
}

LOGFONTW FontOf(const std::wstring& fontId) {
  const FontRecord* font = UiRegistry::GetFont(fontId);
  if (!font || !font->handle) font = UiRegistry::GetFont(UiRegistry::GetDefaultFontId());
  HGDIOBJ handle = font && font->handle ? static_cast<HGDIOBJ>(font->handle)
                                        : ::GetStockObject(DEFAULT_GUI_FONT);
  LOGFONTW logFont{};
  ::GetObjectW(handle, sizeof(logFont), &logFont);
  return logFont;
}

CHARFORMAT2W MakeCharFormat(const std::wstring& fontId, UiColor color, HWND window) {
  const LOGFONTW font = FontOf(fontId);
  CHARFORMAT2W format{};
  format.cbSize = sizeof(format);
  format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_SIZE | CFM_COLOR | CFM_FACE |
                  CFM_OFFSET | CFM_CHARSET;
  if (font.lfWeight > 699) format.dwEffects |= CFE_BOLD;
  if (font.lfItalic) format.dwEffects |= CFE_ITALIC;
  if (font.lfUnderline) format.dwEffects |= CFE_UNDERLINE;
  format.yHeight = std::abs(::MulDiv(font.lfHeight, -kTwipsPerInch, WindowDpiY(window)));
  format.crTextColor = ToColorRef(color);
  format.bCharSet = font.lfCharSet;
  format.bPitchAndFamily = font.lfPitchAndFamily;
  wcsncpy(format.szFaceName, font.lfFaceName, LF_FACESIZE - 1);
  return format;
}

PARAFORMAT2 MakeParaFormat(std::uint32_t style) {
  PARAFORMAT2 format{};
  format.cbSize = sizeof(format);
  format.dwMask = PFM_ALIGNMENT | PFM_TABSTOPS;
  format.wAlignment = (style & RichEdit::kStyleCenter)  ? PFA_CENTER
                      : (style & RichEdit::kStyleRight) ? PFA_RIGHT
                                                        : PFA_LEFT;
  format.cTabCount = 1;
  format.rgxTabs[0] = kTabStopTwips;
  return format;
}

}  // namespace

RichEdit::RichEdit() {
  textColor_ = normalTextColor_ = disabledTextColor_ = UiRegistry::GetDefaultTextColorName();
}

RichEdit::~RichEdit() {
  caretFlag_.Revoke();
  if (host_) {
    host_->Shutdown();
    host_->Release();
    host_ = nullptr;
  }
}

// The engine.

void RichEdit::Init() {
  ScrollableBox::Init();
  CreateEngine();
}

void RichEdit::CreateEngine() {
  if (initialised_ || !window_) return;
  initialised_ = true;
  // Transparent from the start: the engine reads the back style once, when it is made.
  DWORD flags = CTxtWinHost::kInPlaceActive | CTxtWinHost::kTransparent;
  if (rich_) flags |= CTxtWinHost::kRichText;
  if (!(style_ & (kStyleHScroll | kStyleAutoHScroll))) flags |= CTxtWinHost::kWordWrap;
  HWND window = reinterpret_cast<HWND>(GetHostWindow());
  host_ = CTxtWinHost::Create(
      this, MakeCharFormat(fontId_, UiRegistry::GetTextColor(textColor_), window),
      MakeParaFormat(style_), style_, flags, maxLength_, initialText_.c_str());
  if (!host_) return;
  initialText_.clear();
  UpdateHostClientRect();
  SendTextMessage(EM_SETLANGOPTIONS, 0, 0);
  SendTextMessage(EM_SETEVENTMASK, 0, ENM_CHANGE);
  host_->GetTextServices()->OnTxInPlaceActivate(&host_->GetClientRect());
  OnHostScrollRange(true, 0);
  OnHostScrollRange(false, 0);
}

HWND__* RichEdit::GetHostWindow() const {
  const Window* window = dynamic_cast<const Window*>(window_);
  return window ? window->GetHWND() : nullptr;
}

std::intptr_t RichEdit::SendTextMessage(unsigned message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
  if (!host_) return 1;
  return host_->SendMessageToEngine(message, wParam, lParam);
}

void RichEdit::ApplyFontToHost() {
  if (!host_) return;
  host_->GetCharFormat() = MakeCharFormat(fontId_, UiRegistry::GetTextColor(textColor_),
                                          reinterpret_cast<HWND>(GetHostWindow()));
  ApplyCharFormatToText();
}

void RichEdit::ApplyCharFormatToText() {
  host_->NotifyPropertyBits(TXTBIT_CHARFORMATCHANGE);
  // Plain text has one format: the text already there takes it too. Rich text keeps the
  // formats of its runs.
  if (!rich_) {
    SendTextMessage(EM_SETCHARFORMAT, SCF_ALL,
                    reinterpret_cast<std::intptr_t>(&host_->GetCharFormat()));
  }
}

void RichEdit::ApplyStyleToHost(std::uint32_t bits) {
  if (!host_) return;
  host_->SetStyle(style_);
  host_->SetFlag(CTxtWinHost::kWordWrap, !(style_ & (kStyleHScroll | kStyleAutoHScroll)));
  host_->GetParaFormat() = MakeParaFormat(style_);
  host_->NotifyPropertyBits(bits);
}

// Text.

void RichEdit::SetText(const std::wstring& text) {
  if (!host_) {
    initialText_ = text;
    Invalidate();
    return;
  }
  host_->GetTextServices()->TxSetText(text.c_str());
  Invalidate();
}

std::wstring RichEdit::GetText() const {
  if (!host_) return initialText_;
  BSTR text = nullptr;
  if (FAILED(host_->GetTextServices()->TxGetText(&text)) || !text) return std::wstring();
  std::wstring result(text, ::SysStringLen(text));
  ::SysFreeString(text);
  return result;
}

void RichEdit::SetUtf8Text(const std::string& text) {
  SetText(kbase::Utf8ToWide(text));
}

std::string RichEdit::GetUtf8Text() const {
  return kbase::WideToUtf8(GetText());
}

void RichEdit::SetTextId(const std::wstring& id) {
  SetText(UiRegistry::GetLanguageStrings().GetString(id));
}

int RichEdit::GetTextLength() const {
  if (!host_) return static_cast<int>(initialText_.size());
  GETTEXTLENGTHEX request{GTL_DEFAULT, 1200};
  return static_cast<int>(
      host_->SendMessageToEngine(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&request), 0));
}

void RichEdit::SetFont(const std::wstring& fontId) {
  fontId_ = fontId;
  ApplyFontToHost();
  Invalidate();
}

void RichEdit::SetRich(bool rich) {
  rich_ = rich;
  if (!host_) return;
  host_->SetFlag(CTxtWinHost::kRichText, rich);
  host_->NotifyPropertyBits(TXTBIT_RICHTEXT);
}

void RichEdit::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  SetStyleBit(kStyleReadOnly, readOnly);
  ApplyStyleToHost(TXTBIT_READONLY);
  Invalidate();
}

void RichEdit::SetTextColor(const std::wstring& colorName) {
  textColor_ = colorName;
  if (host_) {
    host_->GetCharFormat().crTextColor = ToColorRef(UiRegistry::GetTextColor(colorName));
    ApplyCharFormatToText();
  }
  Invalidate();
}

void RichEdit::SetEnabled(bool enabled) {
  ScrollableBox::SetEnabled(enabled);
  SetTextColor(enabled ? normalTextColor_ : disabledTextColor_);
  if (!enabled) state_ = ControlState::kDisabled;
}

void RichEdit::SetPromptText(const std::wstring& text) {
  if (promptText_ == text) return;
  promptText_ = text;
  Invalidate();
}

void RichEdit::SetPromptTextId(const std::wstring& id) {
  if (promptTextId_ == id) return;
  promptTextId_ = id;
  Invalidate();
}

std::wstring RichEdit::GetPromptText() const {
  if (!promptTextId_.empty()) {
    std::wstring text = UiRegistry::GetLanguageStrings().GetString(promptTextId_);
    if (!text.empty()) return text;
  }
  return promptText_;
}

// Links.

void RichEdit::AddLink(int first, int end, const std::wstring& url) {
  if (first < 0 || end <= first) return;
  links_.push_back(Link{first, end, url});
}

void RichEdit::ClearLinks() {
  links_.clear();
}

const RichEdit::Link* RichEdit::LinkAt(const UiPoint& point) const {
  if (!host_ || links_.empty()) return nullptr;
  POINTL at{point.x - renderOffset_.x, point.y - renderOffset_.y};
  const int position = static_cast<int>(
      host_->SendMessageToEngine(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
  for (const Link& link : links_) {
    if (position >= link.first && position < link.end) return &link;
  }
  return nullptr;
}

// Layout.

UiRect RichEdit::TextRect() const {
  const UiRect padding = layout_->GetPadding();
  UiRect text{rect_.left + padding.left, rect_.top + padding.top, rect_.right - padding.right,
              rect_.bottom - padding.bottom};
  if (HasRange(GetVerticalScrollBar())) text.right -= GetVerticalScrollBar()->GetFixedWidth();
  if (HasRange(GetHorizontalScrollBar())) {
    text.bottom -= GetHorizontalScrollBar()->GetFixedHeight();
  }
  text.right = std::max(text.right, text.left);
  text.bottom = std::max(text.bottom, text.top);
  return text;
}

void RichEdit::UpdateHostClientRect() {
  if (!host_) return;
  UiRect text = TextRect();
  if (verticalAlign_ != 0) {
    // Text shorter than the edit sits in its middle or at its bottom.
    const int free = text.Height() - NaturalHeight(text.Width());
    if (free > 0) text.top += verticalAlign_ == 1 ? free / 2 : free;
  }
  host_->SetClientRect(RECT{text.left, text.top, text.right, text.bottom});
}

void RichEdit::SetPosition(const UiRect& rect) {
  if (layingOut_) return;
  layingOut_ = true;
  const std::weak_ptr<kbase::WeakFlag> alive = WeakFlagOf();
  Control::SetPosition(rect);
  if (alive.expired()) return;
  PlaceBars(rect_);
  UpdateHostClientRect();
  if (ScrollBar* bar = GetVerticalScrollBar(); bar && host_) {
    const UiRect text = TextRect();
    if (ContentHeight(text.Width()) > text.Height()) {
      autoBarState_ = false;
    } else {
      // Everything fits: the text starts at its top until it grows again.
      bar->SetScrollPos(0);
      autoBarState_ = true;
    }
  }
  layingOut_ = false;
}

int RichEdit::ContentHeight(int width) const {
  // The engine knows the height of what it has laid out; measuring would lay all of it out
  // again, which for a long text costs far more than the layout itself.
  int height = 0;
  if (host_ && host_->GetContentHeight(&height)) return height;
  return NaturalHeight(width);
}

int RichEdit::NaturalHeight(int width) const {
  return const_cast<RichEdit*>(this)->GetNaturalSize(width).cy;
}

UiSize RichEdit::GetNaturalSize(int width) {
  LONG w = std::max(width, 0);
  if (!host_) return UiSize{w, 0};
  LONG h = 0;
  const SIZEL extent{-1, -1};
  IRenderContext* context = window_ ? window_->GetRenderContext() : nullptr;
  HDC dc = context ? context->GetDc() : nullptr;
  HWND window = dc ? nullptr : reinterpret_cast<HWND>(GetHostWindow());
  HDC screen = dc ? nullptr : ::GetDC(window);
  const HRESULT hr = host_->GetTextServices()->TxGetNaturalSize(
      DVASPECT_CONTENT, dc ? dc : screen, nullptr, nullptr, TXTNS_FITTOCONTENT, &extent, &w, &h);
  if (screen) ::ReleaseDC(window, screen);
  if (FAILED(hr)) return UiSize{std::max(width, 0), 0};
  return UiSize{static_cast<int>(w), static_cast<int>(h)};
}

UiSize RichEdit::EstimateSize(UiSize available) {
  if (fixedWidth_ != kLengthAuto && fixedHeight_ != kLengthAuto) {
    return ScrollableBox::EstimateSize(available);
  }
  const UiRect padding = layout_->GetPadding();
  const bool bothAuto = fixedWidth_ == kLengthAuto && fixedHeight_ == kLengthAuto;
  int widthLimit = 0;
  if (bothAuto) {
    widthLimit = maxWidth_;
  } else if (fixedWidth_ >= 0) {
    widthLimit = fixedWidth_ - padding.left - padding.right;
  }
  UiSize natural = GetNaturalSize(widthLimit);
  UiSize size{natural.cx + padding.left + padding.right, natural.cy + padding.top + padding.bottom};
  if (fixedWidth_ >= 0) size.cx = fixedWidth_;
  if (fixedHeight_ >= 0) size.cy = fixedHeight_;
  if (fixedWidth_ == kLengthStretch) size.cx = available.cx;
  if (fixedHeight_ == kLengthStretch) size.cy = available.cy;
  return size;
}

// Scrolling: the engine moves the text and reports the new position back to the bars.

void RichEdit::SetScrollPos(UiSize position) {
  if (!host_) return;
  const UiSize range = GetScrollRange();
  position.cx = std::clamp(position.cx, 0, range.cx);
  position.cy = std::clamp(position.cy, 0, range.cy);
  const UiSize before = GetScrollPos();
  if (position.cx == before.cx && position.cy == before.cy) return;
  // The full position, not the 16 bits a thumb message carries.
  POINT target{position.cx, position.cy};
  host_->SendMessageToEngine(EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&target));
  // Where the engine moved less, the bars show where it stopped.
  if (ScrollBar* bar = GetVerticalScrollBar(); bar && HasRange(bar)) {
    bar->SetScrollPos(host_->GetScrollPosition(true));
  }
  if (ScrollBar* bar = GetHorizontalScrollBar(); bar && HasRange(bar)) {
    bar->SetScrollPos(host_->GetScrollPosition(false));
  }
  Invalidate();
  SendEvent(kEventScrollChange);
}

void RichEdit::PageUp() {
  SendTextMessage(WM_VSCROLL, SB_PAGEUP, 0);
}

void RichEdit::PageDown() {
  SendTextMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
}

void RichEdit::HomeUp() {
  SendTextMessage(WM_VSCROLL, SB_TOP, 0);
}

void RichEdit::PageLeft() {
  SendTextMessage(WM_HSCROLL, SB_PAGELEFT, 0);
}

void RichEdit::PageRight() {
  SendTextMessage(WM_HSCROLL, SB_PAGERIGHT, 0);
}

void RichEdit::HomeLeft() {
  SendTextMessage(WM_HSCROLL, SB_LEFT, 0);
}

void RichEdit::EndRight() {
  SendTextMessage(WM_HSCROLL, SB_RIGHT, 0);
}

// Requests of the engine.

void RichEdit::OnHostScrollRange(bool vertical, int range) {
  ScrollBar* bar = vertical ? GetVerticalScrollBar() : GetHorizontalScrollBar();
  if (!bar) return;
  const bool appeared = bar->GetScrollRange() == 0 && range > 0;
  const bool gone = bar->GetScrollRange() > 0 && range == 0;
  bar->SetScrollRange(range);
  // A bar that comes or goes changes the room the text has.
  if ((appeared || gone) && !layingOut_) SetPosition(rect_);
}

void RichEdit::OnHostScrollPos(bool vertical, int position) {
  ScrollBar* bar = vertical ? GetVerticalScrollBar() : GetHorizontalScrollBar();
  if (bar) bar->SetScrollPos(position);
}

void RichEdit::OnHostScrollBarsDisabled(bool vertical, bool horizontal) {
  if (vertical && GetVerticalScrollBar()) GetVerticalScrollBar()->SetScrollRange(0);
  if (horizontal && GetHorizontalScrollBar()) GetHorizontalScrollBar()->SetScrollRange(0);
  if (!layingOut_) SetPosition(rect_);
}

void RichEdit::OnHostInvalidate(const UiRect* rect) {
  if (!window_) return;
  UiRect area = rect ? *rect : TextRect();
  area.Offset(renderOffset_.x, renderOffset_.y);
  InvalidateWindowArea(area);
}

void RichEdit::OnHostCaretSize(int width, int height) {
  InvalidateCaret();
  caretWidth_ = width;
  caretHeight_ = height;
  InvalidateCaret();
}

void RichEdit::OnHostCaretPos(int x, int y) {
  InvalidateCaret();
  caretX_ = x;
  caretY_ = y;
  InvalidateCaret();
}

UiRect RichEdit::GetCaretRect() const {
  const int width = std::max(caretWidth_, 1);
  return UiRect{caretX_, caretY_, caretX_ + width, caretY_ + caretHeight_};
}

// Painting.

void RichEdit::PaintStateImages(IRenderContext& context) {
  if (readOnly_) return;
  if (focused_ && !focusedImage_.file.empty()) {
    DrawImage(*this, context, &focusedImage_);
  } else {
    ScrollableBox::PaintStateImages(context);
  }
  if (GetTextLength() != 0 || promptColor_.empty()) return;
  const std::wstring prompt = GetPromptText();
  if (prompt.empty()) return;
  const UiRect text = TextRect();
  context.PaintText(text, prompt, UiRegistry::GetTextColor(promptColor_), fontId_, kTextNoClip, 255,
                    false);
}

void RichEdit::PaintText(IRenderContext& context) {
  if (!host_) return;
  const RECT& client = host_->GetClientRect();
  const RECTL bounds{client.left, client.top, client.right, client.bottom};
  RECT update{paintRect_.left, paintRect_.top, paintRect_.right, paintRect_.bottom};
  // The engine draws with GDI: where the pixels' alpha counts, the text must not punch
  // holes into them.
  const UiRect area =
      paintRect_.Intersection(UiRect{client.left, client.top, client.right, client.bottom});
  const bool keepAlpha = !area.IsEmpty() && NeedsAlpha(context);
  if (keepAlpha) context.BeginGdiDrawing(area);
  host_->GetTextServices()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, context.GetDc(), nullptr,
                                   &bounds, nullptr, &update, nullptr, 0, TXTVIEW_ACTIVE);
  if (keepAlpha) context.EndGdiDrawing();
}

bool RichEdit::NeedsAlpha(IRenderContext& context) const {
  if (!window_ || &context != window_->GetRenderContext()) return true;
  const Window* window = dynamic_cast<const Window*>(window_);
  return window && window->IsLayeredWindow();
}

void RichEdit::PaintChildren(IRenderContext& context, const UiRect& paintRect) {
  if (!readOnly_ && caretVisible_ && !imeComposing_ && caretHeight_ > 0) {
    const UiColor color =
        caretColor_.empty() ? kDefaultCaretColor : UiRegistry::GetTextColor(caretColor_);
    const UiRect line{caretX_, caretY_, caretX_, caretY_ + caretHeight_};
    context.StrokeLine(line, std::max(caretWidth_, 1), color);
  }
  ScrollableBox::PaintChildren(context, paintRect);
}

void RichEdit::ReleaseAllImages() {
  ScrollableBox::ReleaseAllImages();
  focusedImage_.image.reset();
}

// The caret.

void RichEdit::StartCaret() {
  caretFlag_.Revoke();
  caretVisible_ = true;
  InvalidateCaret();
  TimerQueue::Instance().Schedule(
      caretFlag_.WeakFlagOf(),
      [this] {
        caretVisible_ = !caretVisible_;
        InvalidateCaret();
      },
      kCaretBlinkMillis, TimerQueue::kRepeatForever);
}

void RichEdit::StopCaret() {
  caretFlag_.Revoke();
  caretVisible_ = false;
  InvalidateCaret();
}

void RichEdit::InvalidateCaret() {
  if (!window_ || caretHeight_ <= 0) return;
  UiRect area = GetCaretRect();
  // The line is stroked centred on its x; a wide caret reaches both sides.
  area.left -= std::max(caretWidth_, 1);
  area.right += 1;
  area.Offset(renderOffset_.x, renderOffset_.y);
  InvalidateWindowArea(area);
}

}  // namespace ui
