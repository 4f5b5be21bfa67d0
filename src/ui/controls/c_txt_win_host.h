#pragma once

#include <windows.h>

#include <richedit.h>
#include <textserv.h>

#include <map>
#include <memory>

#include "runtime/weak_callback.h"

namespace ui {

class RichEdit;

// The host side of the windowless text engine behind a rich edit: it answers the engine's
// questions about the window, the client rectangle, formats and scroll bars, and passes
// the engine's requests (caret, timers, invalidation, scroll ranges) to the control.
class CTxtWinHost final : public ITextHost {
 public:
  using CreateFunction = HRESULT(WINAPI*)(IUnknown* outer, ITextHost* host, IUnknown** result);

  // Host flags.
  static constexpr DWORD kAutoWordSelect = 0x1;
  static constexpr DWORD kWordWrap = 0x2;
  static constexpr DWORD kAllowBeep = 0x4;
  static constexpr DWORD kRichText = 0x8;
  static constexpr DWORD kSaveSelection = 0x10;
  static constexpr DWORD kInPlaceActive = 0x20;
  static constexpr DWORD kTransparent = 0x40;
  static constexpr DWORD kTimerSet = 0x80;

  // The edit style bit that keeps the selection shown without focus.
  static constexpr DWORD kNoHideSelection = 0x100;

  // Makes the host and its engine for the edit, with one reference held by the caller;
  // none when the engine library or its entry point is missing or refuses.
  static CTxtWinHost* Create(RichEdit* edit, const CHARFORMAT2W& charFormat,
                             const PARAFORMAT2& paraFormat, DWORD style, DWORD flags,
                             LONG maxLength, const wchar_t* initialText);

  // Replaces how engines are made (tests hand in an engine of their own); none goes back to
  // the system's library. Returns the previous function.
  static CreateFunction SetCreateFunction(CreateFunction create);

  // The edit is going away: timers stop, the engine is released and never calls the edit
  // again.
  void Shutdown();

  ITextServices* GetTextServices() const { return services_; }
  LRESULT SendMessageToEngine(UINT message, WPARAM wParam, LPARAM lParam) const;

  const RECT& GetClientRect() const { return clientRect_; }
  // Stores the rectangle and tells the engine.
  void SetClientRect(const RECT& rect);
  DWORD GetStyle() const { return style_; }
  void SetStyle(DWORD style) { style_ = style; }
  DWORD GetFlags() const { return flags_; }
  void SetFlag(DWORD flag, bool on);
  CHARFORMAT2W& GetCharFormat() { return charFormat_; }
  PARAFORMAT2& GetParaFormat() { return paraFormat_; }
  // Tells the engine that the properties of the mask changed to the host's current values.
  void NotifyPropertyBits(DWORD mask);
  size_t GetTimerCount() const { return timers_.size(); }
  // The engine's scroll position in pixels, whatever the size of the content.
  int GetScrollPosition(bool vertical) const;
  // The height of the laid-out text as the engine's vertical scroll range gives it; false
  // when the engine does not say.
  bool GetContentHeight(int* height) const;

  // IUnknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // ITextHost.
  HDC TxGetDC() override;
  INT TxReleaseDC(HDC hdc) override;
  WINBOOL TxShowScrollBar(INT bar, WINBOOL show) override;
  WINBOOL TxEnableScrollBar(INT bars, INT arrows) override;
  WINBOOL TxSetScrollRange(INT bar, LONG minPos, INT maxPos, WINBOOL redraw) override;
  WINBOOL TxSetScrollPos(INT bar, INT pos, WINBOOL redraw) override;
  void TxInvalidateRect(LPCRECT rect, WINBOOL mode) override;
  void TxViewChange(WINBOOL update) override;
  WINBOOL TxCreateCaret(HBITMAP bitmap, INT width, INT height) override;
  WINBOOL TxShowCaret(WINBOOL show) override;
  WINBOOL TxSetCaretPos(INT x, INT y) override;
  WINBOOL TxSetTimer(UINT id, UINT timeout) override;
  void TxKillTimer(UINT id) override;
  void TxScrollWindowEx(INT dx, INT dy, LPCRECT scroll, LPCRECT clip, HRGN update,
                        LPRECT updateRect, UINT flags) override;
  void TxSetCapture(WINBOOL capture) override;
  void TxSetFocus() override;
  void TxSetCursor(HCURSOR cursor, WINBOOL text) override;
  WINBOOL TxScreenToClient(LPPOINT point) override;
  WINBOOL TxClientToScreen(LPPOINT point) override;
  HRESULT TxActivate(LONG* oldState) override;
  HRESULT TxDeactivate(LONG newState) override;
  HRESULT TxGetClientRect(LPRECT rect) override;
  HRESULT TxGetViewInset(LPRECT rect) override;
  HRESULT TxGetCharFormat(const CHARFORMATW** format) override;
  HRESULT TxGetParaFormat(const PARAFORMAT** format) override;
  COLORREF TxGetSysColor(int index) override;
  HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override;
  HRESULT TxGetMaxLength(DWORD* length) override;
  HRESULT TxGetScrollBars(DWORD* bars) override;
  HRESULT TxGetPasswordChar(TCHAR* character) override;
  HRESULT TxGetAcceleratorPos(LONG* position) override;
  HRESULT TxGetExtent(LPSIZEL extent) override;
  HRESULT OnTxCharFormatChange(const CHARFORMATW* format) override;
  HRESULT OnTxParaFormatChange(const PARAFORMAT* format) override;
  HRESULT TxGetPropertyBits(DWORD mask, DWORD* bits) override;
  HRESULT TxNotify(DWORD code, void* data) override;
  HIMC TxImmGetContext() override;
  void TxImmReleaseContext(HIMC context) override;
  HRESULT TxGetSelectionBarWidth(LONG* width) override;

 private:
  CTxtWinHost(RichEdit* edit, const CHARFORMAT2W& charFormat, const PARAFORMAT2& paraFormat,
              DWORD style, DWORD flags, LONG maxLength);
  ~CTxtWinHost();
  bool CreateServices(const wchar_t* initialText);
  HWND Window() const;
  bool GetScroll(bool vertical, LONG* minPos, LONG* maxPos, LONG* pos) const;
  DWORD PropertyBits() const;

  ULONG references_ = 1;
  RichEdit* edit_;
  ITextServices* services_ = nullptr;
  DWORD style_;
  DWORD flags_;
  LONG selectionBarWidth_ = 0;
  LONG maxLength_;
  RECT clientRect_{};
  SIZEL extent_{};
  CHARFORMAT2W charFormat_;
  PARAFORMAT2 paraFormat_;
  LONG acceleratorPos_ = -1;
  wchar_t passwordChar_ = L'*';
  // One revocable flag per engine timer: setting an identifier again replaces its timer.
  std::map<UINT, std::unique_ptr<kbase::WeakCallbackFlag>> timers_;
};

}  // namespace ui
