#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/weak_callback.h"
#include "ui/controls/scrollable_box.h"
#include "ui/core/image_attributes/image_attribute.h"

struct HWND__;

namespace ui {

class CTxtWinHost;

// Events of the rich edit that layouts cannot name.
constexpr EventType kEventTextChange = static_cast<EventType>(44);
constexpr EventType kEventLinkClick = static_cast<EventType>(47);

// Text entry and rich text display. The platform's windowless text engine edits, lays out
// and draws the text; the control gives it a place in the control tree: the client
// rectangle, formats from the font and colour tables, scroll bars, a caret it draws
// itself, timers, a prompt for an empty edit, number-only input and the mapping of the
// framework's events to the engine's window messages.
class RichEdit : public ScrollableBox {
 public:
  static constexpr int kCaretBlinkMillis = 500;
  static constexpr int kDefaultMaxLength = 0x7FFF;

  // Edit style bits, with the values of the platform's edit styles.
  static constexpr std::uint32_t kStyleCenter = 0x1;
  static constexpr std::uint32_t kStyleRight = 0x2;
  static constexpr std::uint32_t kStyleMultiline = 0x4;
  static constexpr std::uint32_t kStylePassword = 0x20;
  static constexpr std::uint32_t kStyleAutoVScroll = 0x40;
  static constexpr std::uint32_t kStyleAutoHScroll = 0x80;
  static constexpr std::uint32_t kStyleReadOnly = 0x800;
  // Number-only; together with a scroll-bar style it keeps a bar without range shown.
  static constexpr std::uint32_t kStyleNumber = 0x2000;
  static constexpr std::uint32_t kStyleHScroll = 0x100000;
  static constexpr std::uint32_t kStyleVScroll = 0x200000;

  struct Link {
    int first;
    int end;
    std::wstring url;
  };

  RichEdit();
  ~RichEdit() override;

  // Text. Before the engine exists the text is kept and handed to it when it is made.
  void SetText(const std::wstring& text);
  std::wstring GetText() const;
  void SetUtf8Text(const std::string& text);
  std::string GetUtf8Text() const;
  // The language string of the identifier.
  void SetTextId(const std::wstring& id);
  int GetTextLength() const;

  void SetFont(const std::wstring& fontId);
  const std::wstring& GetFont() const { return fontId_; }
  void SetRich(bool rich);
  bool IsRich() const { return rich_; }
  bool IsReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  bool IsPassword() const { return password_; }
  bool IsNumberOnly() const { return numberOnly_; }
  bool IsWantTab() const { return wantTab_; }
  bool IsWantReturnMsg() const { return wantReturnMsg_; }
  bool IsReturnMsgWantCtrl() const { return returnMsgWantCtrl_; }
  std::uint32_t GetStyle() const { return style_; }
  int GetVerticalAlign() const { return verticalAlign_; }

  // Colours by name from the colour table; the current one is what the text shows.
  void SetTextColor(const std::wstring& colorName);
  const std::wstring& GetTextColor() const { return textColor_; }
  const std::wstring& GetNormalTextColor() const { return normalTextColor_; }
  const std::wstring& GetDisabledTextColor() const { return disabledTextColor_; }

  void SetPromptText(const std::wstring& text);
  void SetPromptTextId(const std::wstring& id);
  // The prompt text, or the language string of its identifier.
  std::wstring GetPromptText() const;
  bool IsPromptMode() const { return promptMode_; }

  // Forwards a message to the engine; 1 without an engine.
  std::intptr_t SendTextMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
  // A notification of the engine (its change and link codes and those windows forward).
  void OnEngineNotify(unsigned code, void* data);

  // Character ranges that act as links: a press on one sends the link-click event.
  void AddLink(int first, int end, const std::wstring& url);
  void ClearLinks();
  const std::vector<Link>& GetLinks() const { return links_; }
  // The link under a point of the window, or none.
  const Link* LinkAt(const UiPoint& point) const;

  // The size the text needs at the width (0 or less: as wide as it likes).
  UiSize GetNaturalSize(int width);

  // Whether an engine could be made; without one the edit stays empty.
  bool HasEngine() const { return host_ != nullptr; }
  bool IsCaretVisible() const { return caretVisible_; }
  bool IsImeComposing() const { return imeComposing_; }
  UiRect GetCaretRect() const;
  bool IsAutoBarState() const { return autoBarState_; }

  // Called by the host for the engine.
  HWND__* GetHostWindow() const;
  void OnHostScrollRange(bool vertical, int range);
  void OnHostScrollPos(bool vertical, int position);
  void OnHostScrollBarsDisabled(bool vertical, bool horizontal);
  void OnHostInvalidate(const UiRect* rect);
  void OnHostCaretSize(int width, int height);
  void OnHostCaretPos(int x, int y);

  // ScrollableBox.
  void SetScrollPos(UiSize position) override;
  void PageUp() override;
  void PageDown() override;
  void HomeUp() override;
  void PageLeft() override;
  void PageRight() override;
  void HomeLeft() override;
  void EndRight() override;

  // Control.
  void Init() override;
  UiSize EstimateSize(UiSize available) override;
  void SetPosition(const UiRect& rect) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void SetEnabled(bool enabled) override;
  void HandleEvent(EventArgs* args) override;
  bool IsClickTarget() const override { return true; }
  bool WantsTab() const override { return wantTab_; }
  void PaintStateImages(IRenderContext& context) override;
  void PaintText(IRenderContext& context) override;
  void PaintChildren(IRenderContext& context, const UiRect& paintRect) override;
  void ReleaseAllImages() override;

 private:
  void CreateEngine();
  void ApplyFontToHost();
  void ApplyCharFormatToText();
  void ApplyStyleToHost(std::uint32_t bits);
  void SetStyleBit(std::uint32_t bit, bool on);
  void SetScrollBarStyle(bool vertical, bool on);
  void SetAlign(const std::wstring& value);
  // The attributes SetAttribute reads itself, by name.
  static const AttributeTable<RichEdit>& Attributes();
  // The automatic scroll bit of one direction, switched by the word.
  void SetAutoScroll(std::uint32_t bit, const std::wstring& word);
  void SetMultiline(const std::wstring& word);
  void SetPassword(bool password);
  void SetNumberOnly(bool numberOnly);
  // The text colour of the enabled or of the disabled edit.
  void SetStateTextColor(bool enabled, const std::wstring& colorName);
  void SetFocusedImage(const std::wstring& image);
  UiRect TextRect() const;
  void UpdateHostClientRect();
  int NaturalHeight(int width) const;
  int ContentHeight(int width) const;
  // Whether the pixels' alpha counts where the edit paints: a layered window's or an
  // off-screen copy's.
  bool NeedsAlpha(IRenderContext& context) const;

  // Event mapping.
  bool HandleMouse(EventArgs* args);
  void HandleChar(EventArgs* args);
  void HandleKeyDown(EventArgs* args);
  void HandleSetCursor(EventArgs* args);
  void OnFocusGained();
  void OnFocusLost();
  void PlaceCompositionWindow();
  std::intptr_t MouseMessage(unsigned message, EventArgs* args);
  bool PasteDigits();
  void SendEventLater(EventType type);

  void StartCaret();
  void StopCaret();
  void InvalidateCaret();

  CTxtWinHost* host_ = nullptr;
  bool autoBarState_ = false;
  bool wantTab_ = true;
  bool wantReturnMsg_ = false;
  bool returnMsgWantCtrl_ = false;
  bool rich_ = false;
  bool readOnly_ = false;
  bool password_ = false;
  bool numberOnly_ = false;
  bool initialised_ = false;
  bool promptMode_ = false;
  bool caretVisible_ = false;
  bool imeComposing_ = false;
  // The Return that sent the return event must not also insert a line through its character.
  bool swallowReturnChar_ = false;
  bool layingOut_ = false;
  int caretX_ = 0;
  int caretY_ = 0;
  int caretWidth_ = 0;
  int caretHeight_ = 0;
  std::wstring fontId_;
  int maxLength_ = kDefaultMaxLength;
  std::uint32_t style_ = kStyleMultiline;
  int verticalAlign_ = 0;
  std::wstring textColor_;
  std::wstring normalTextColor_;
  std::wstring disabledTextColor_;
  std::wstring promptColor_;
  std::wstring caretColor_;
  std::wstring initialText_;
  std::wstring promptText_;
  std::wstring promptTextId_;
  kbase::WeakCallbackFlag caretFlag_;
  std::vector<Link> links_;
  ImageAttribute focusedImage_;
};

}  // namespace ui
