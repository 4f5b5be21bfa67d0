#include "ui/controls/c_txt_win_host.h"

#include <algorithm>
#include <string>

#include "runtime/path_util.h"
#include "ui/controls/rich_edit.h"
#include "ui/services/timer_queue.h"

namespace ui {
namespace {

// The interface identifiers are spelled out here: not every import library has them.
const IID kIidTextServices = {
    0x8d33f740, 0xcf58, 0x11ce, {0xa8, 0x9d, 0x00, 0xaa, 0x00, 0x6c, 0xad, 0xc5}};
const IID kIidTextHost = {
    0x13e670f4, 0x1a5a, 0x11cf, {0xab, 0xeb, 0x00, 0xaa, 0x00, 0xb6, 0x5e, 0xa1}};

constexpr int kHimetricPerInch = 2540;

std::wstring SystemFolder() {
  wchar_t path[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  return std::wstring(path, length) + L"\\";
}

HMODULE LoadByFullPath(const std::wstring& folder, const wchar_t* name) {
  if (folder.empty()) return nullptr;
  const std::wstring path = folder + name;
  if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return nullptr;
  return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// A copy of the engine beside the executable wins; otherwise the system's own, by its full
// path, so that a library of the same name in the current folder is never picked up. The
// library stays loaded for the life of the process.
CTxtWinHost::CreateFunction SystemCreateFunction() {
  static const CTxtWinHost::CreateFunction create = [] {
    HMODULE module = LoadByFullPath(kbase::ModuleFolder(), L"msftedit50.dll");
    if (!module) module = LoadByFullPath(SystemFolder(), L"msftedit.dll");
    if (!module) return CTxtWinHost::CreateFunction();
    return reinterpret_cast<CTxtWinHost::CreateFunction>(
        reinterpret_cast<void*>(::GetProcAddress(module, "CreateTextServices")));
  }();
  return create;
}

CTxtWinHost::CreateFunction g_createOverride = nullptr;

int DeviceDpiY(HWND window) {
  HDC dc = ::GetDC(window);
  const int dpi = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc) ::ReleaseDC(window, dc);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

CTxtWinHost::CreateFunction CTxtWinHost::SetCreateFunction(CreateFunction create) {
  const CreateFunction previous = g_createOverride;
  g_createOverride = create;
  return previous;
}

CTxtWinHost* CTxtWinHost::Create(RichEdit* edit, const CHARFORMAT2W& charFormat,
                                 const PARAFORMAT2& paraFormat, DWORD style, DWORD flags,
                                 LONG maxLength, const wchar_t* initialText) {
  auto* host = new CTxtWinHost(edit, charFormat, paraFormat, style, flags, maxLength);
  if (!host->CreateServices(initialText)) {
    host->Shutdown();
    host->Release();
    return nullptr;
  }
  return host;
}

CTxtWinHost::CTxtWinHost(RichEdit* edit, const CHARFORMAT2W& charFormat,
                         const PARAFORMAT2& paraFormat, DWORD style, DWORD flags, LONG maxLength)
    : edit_(edit),
      style_(style),
      flags_(flags),
      maxLength_(maxLength),
      charFormat_(charFormat),
      paraFormat_(paraFormat) {}

CTxtWinHost::~CTxtWinHost() = default;

bool CTxtWinHost::CreateServices(const wchar_t* initialText) {
  const CreateFunction create = g_createOverride ? g_createOverride : SystemCreateFunction();
  if (!create) return false;
  IUnknown* unknown = nullptr;
  if (FAILED(create(nullptr, this, &unknown)) || !unknown) return false;
  void* services = nullptr;
  const HRESULT hr = unknown->QueryInterface(kIidTextServices, &services);
  unknown->Release();
  if (FAILED(hr) || !services) return false;
  services_ = static_cast<ITextServices*>(services);
  if (initialText && *initialText) services_->TxSetText(initialText);
  return true;
}

void CTxtWinHost::Shutdown() {
  timers_.clear();
  flags_ &= ~kTimerSet;
  edit_ = nullptr;
  if (ITextServices* services = services_) {
    services_ = nullptr;
    services->OnTxInPlaceDeactivate();
    services->Release();
  }
}

LRESULT CTxtWinHost::SendMessageToEngine(UINT message, WPARAM wParam, LPARAM lParam) const {
  LRESULT result = 0;
  if (services_) services_->TxSendMessage(message, wParam, lParam, &result);
  return result;
}

void CTxtWinHost::SetClientRect(const RECT& rect) {
  clientRect_ = rect;
  const int dpi = DeviceDpiY(Window());
  // The extent matches the rectangle, so the engine draws at a zoom of one.
  extent_.cx = ::MulDiv(rect.right - rect.left, kHimetricPerInch, dpi);
  extent_.cy = ::MulDiv(rect.bottom - rect.top, kHimetricPerInch, dpi);
  NotifyPropertyBits(TXTBIT_CLIENTRECTCHANGE | TXTBIT_EXTENTCHANGE);
}

void CTxtWinHost::SetFlag(DWORD flag, bool on) {
  flags_ = on ? (flags_ | flag) : (flags_ & ~flag);
}

void CTxtWinHost::NotifyPropertyBits(DWORD mask) {
  if (!services_) return;
  DWORD bits = PropertyBits();
  // Change bits are reported as set.
  bits |= mask & (TXTBIT_CLIENTRECTCHANGE | TXTBIT_EXTENTCHANGE | TXTBIT_CHARFORMATCHANGE |
                  TXTBIT_PARAFORMATCHANGE | TXTBIT_SCROLLBARCHANGE | TXTBIT_MAXLENGTHCHANGE |
                  TXTBIT_BACKSTYLECHANGE | TXTBIT_VIEWINSETCHANGE | TXTBIT_SELBARCHANGE);
  services_->OnTxPropertyBitsChange(mask, bits & mask);
}

HWND CTxtWinHost::Window() const {
  return edit_ ? reinterpret_cast<HWND>(edit_->GetHostWindow()) : nullptr;
}

DWORD CTxtWinHost::PropertyBits() const {
  DWORD bits = 0;
  if (flags_ & kRichText) bits |= TXTBIT_RICHTEXT;
  if (style_ & ES_MULTILINE) bits |= TXTBIT_MULTILINE;
  if (style_ & ES_READONLY) bits |= TXTBIT_READONLY;
  if (style_ & ES_PASSWORD) bits |= TXTBIT_USEPASSWORD;
  if (!(style_ & kNoHideSelection)) bits |= TXTBIT_HIDESELECTION;
  if (flags_ & kAutoWordSelect) bits |= TXTBIT_AUTOWORDSEL;
  if (flags_ & kWordWrap) bits |= TXTBIT_WORDWRAP;
  if (flags_ & kAllowBeep) bits |= TXTBIT_ALLOWBEEP;
  if (flags_ & kSaveSelection) bits |= TXTBIT_SAVESELECTION;
  return bits;
}

// IUnknown.

HRESULT CTxtWinHost::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kIidTextHost)) {
    *object = static_cast<ITextHost*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CTxtWinHost::AddRef() {
  return ++references_;
}

ULONG CTxtWinHost::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// ITextHost: the window.

HDC CTxtWinHost::TxGetDC() {
  return ::GetDC(Window());
}

INT CTxtWinHost::TxReleaseDC(HDC hdc) {
  // Every device context the engine asked for goes back, or each one would leak.
  if (hdc) ::ReleaseDC(Window(), hdc);
  return 1;
}

WINBOOL CTxtWinHost::TxShowScrollBar(INT, WINBOOL) {
  return TRUE;
}

WINBOOL CTxtWinHost::TxEnableScrollBar(INT bars, INT arrows) {
  if (arrows != ESB_DISABLE_BOTH || !edit_) return TRUE;
  const bool vertical = bars == SB_VERT || bars == SB_BOTH;
  const bool horizontal = bars == SB_HORZ || bars == SB_BOTH;
  edit_->OnHostScrollBarsDisabled(vertical, horizontal);
  return TRUE;
}

bool CTxtWinHost::GetScroll(bool vertical, LONG* minPos, LONG* maxPos, LONG* pos) const {
  if (!services_) return false;
  LONG page = 0;
  WINBOOL enabled = FALSE;
  const HRESULT hr = vertical ? services_->TxGetVScroll(minPos, maxPos, pos, &page, &enabled)
                              : services_->TxGetHScroll(minPos, maxPos, pos, &page, &enabled);
  return SUCCEEDED(hr);
}

int CTxtWinHost::GetScrollPosition(bool vertical) const {
  LONG minPos = 0;
  LONG maxPos = 0;
  LONG pos = 0;
  return GetScroll(vertical, &minPos, &maxPos, &pos) ? static_cast<int>(pos) : 0;
}

bool CTxtWinHost::GetContentHeight(int* height) const {
  LONG minPos = 0;
  LONG maxPos = 0;
  LONG pos = 0;
  if (!GetScroll(true, &minPos, &maxPos, &pos)) return false;
  *height = static_cast<int>(std::max<LONG>(maxPos - minPos, 0));
  return true;
}

WINBOOL CTxtWinHost::TxSetScrollRange(INT bar, LONG minPos, INT maxPos, WINBOOL) {
  if (!edit_ || (bar != SB_VERT && bar != SB_HORZ)) return TRUE;
  const bool vertical = bar == SB_VERT;
  // The arguments are cut to 16 bits for content taller than that; the engine's own
  // figures are not.
  LONG fullMin = minPos;
  LONG fullMax = maxPos;
  LONG pos = 0;
  if (!GetScroll(vertical, &fullMin, &fullMax, &pos)) {
    fullMin = minPos;
    fullMax = maxPos;
  }
  const LONG view =
      vertical ? clientRect_.bottom - clientRect_.top : clientRect_.right - clientRect_.left;
  const long long range = static_cast<long long>(fullMax) - fullMin - view;
  edit_->OnHostScrollRange(vertical,
                           range < 1 ? 0 : static_cast<int>(std::min<long long>(range, INT_MAX)));
  return TRUE;
}

WINBOOL CTxtWinHost::TxSetScrollPos(INT bar, INT pos, WINBOOL) {
  if (!edit_ || (bar != SB_VERT && bar != SB_HORZ)) return TRUE;
  LONG minPos = 0;
  LONG maxPos = 0;
  LONG fullPos = pos;
  if (!GetScroll(bar == SB_VERT, &minPos, &maxPos, &fullPos)) fullPos = pos;
  edit_->OnHostScrollPos(bar == SB_VERT, static_cast<int>(fullPos));
  return TRUE;
}

void CTxtWinHost::TxInvalidateRect(LPCRECT rect, WINBOOL) {
  if (!edit_) return;
  if (!rect) {
    edit_->OnHostInvalidate(nullptr);
    return;
  }
  const UiRect area{rect->left, rect->top, rect->right, rect->bottom};
  edit_->OnHostInvalidate(&area);
}

void CTxtWinHost::TxViewChange(WINBOOL) {}

WINBOOL CTxtWinHost::TxCreateCaret(HBITMAP, INT width, INT height) {
  if (edit_) edit_->OnHostCaretSize(width, height);
  return TRUE;
}

WINBOOL CTxtWinHost::TxShowCaret(WINBOOL) {
  return TRUE;
}

WINBOOL CTxtWinHost::TxSetCaretPos(INT x, INT y) {
  if (edit_) edit_->OnHostCaretPos(x, y);
  return TRUE;
}

WINBOOL CTxtWinHost::TxSetTimer(UINT id, UINT timeout) {
  if (!edit_) return FALSE;
  auto& flag = timers_[id];
  // A timer set again under its identifier replaces the one before.
  flag = std::make_unique<kbase::WeakCallbackFlag>();
  const bool scheduled = TimerQueue::Instance().Schedule(
      flag->WeakFlagOf(), [this, id] { SendMessageToEngine(WM_TIMER, id, 0); },
      static_cast<int>(std::max<UINT>(timeout, 1)), TimerQueue::kRepeatForever);
  if (!scheduled) {
    timers_.erase(id);
    return FALSE;
  }
  flags_ |= kTimerSet;
  return TRUE;
}

void CTxtWinHost::TxKillTimer(UINT id) {
  timers_.erase(id);
  if (timers_.empty()) flags_ &= ~kTimerSet;
}

void CTxtWinHost::TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) {
  // The engine has moved its text and leaves the host to show it: the text is drawn anew
  // rather than the window's pixels moved, since the edit shares them with other controls.
  if (edit_) edit_->OnHostInvalidate(nullptr);
}

void CTxtWinHost::TxSetCapture(WINBOOL capture) {
  HWND window = Window();
  if (!window) return;
  if (capture) {
    ::SetCapture(window);
  } else if (::GetCapture() == window) {
    ::ReleaseCapture();
  }
}

void CTxtWinHost::TxSetFocus() {
  if (edit_) edit_->SetFocus();
}

void CTxtWinHost::TxSetCursor(HCURSOR cursor, WINBOOL) {
  ::SetCursor(cursor);
}

WINBOOL CTxtWinHost::TxScreenToClient(LPPOINT point) {
  return point && ::ScreenToClient(Window(), point);
}

WINBOOL CTxtWinHost::TxClientToScreen(LPPOINT point) {
  return point && ::ClientToScreen(Window(), point);
}

HRESULT CTxtWinHost::TxActivate(LONG*) {
  return S_OK;
}

HRESULT CTxtWinHost::TxDeactivate(LONG) {
  return S_OK;
}

// ITextHost: what the engine asks of the host.

HRESULT CTxtWinHost::TxGetClientRect(LPRECT rect) {
  if (!rect) return E_INVALIDARG;
  *rect = clientRect_;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetViewInset(LPRECT rect) {
  if (!rect) return E_INVALIDARG;
  *rect = RECT{};
  return S_OK;
}

HRESULT CTxtWinHost::TxGetCharFormat(const CHARFORMATW** format) {
  if (!format) return E_INVALIDARG;
  *format = reinterpret_cast<const CHARFORMATW*>(&charFormat_);
  return S_OK;
}

HRESULT CTxtWinHost::TxGetParaFormat(const PARAFORMAT** format) {
  if (!format) return E_INVALIDARG;
  *format = &paraFormat_;
  return S_OK;
}

COLORREF CTxtWinHost::TxGetSysColor(int index) {
  return ::GetSysColor(index);
}

HRESULT CTxtWinHost::TxGetBackStyle(TXTBACKSTYLE* style) {
  if (!style) return E_INVALIDARG;
  *style = (flags_ & kTransparent) ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetMaxLength(DWORD* length) {
  if (!length) return E_INVALIDARG;
  *length = static_cast<DWORD>(maxLength_);
  return S_OK;
}

HRESULT CTxtWinHost::TxGetScrollBars(DWORD* bars) {
  if (!bars) return E_INVALIDARG;
  *bars = style_ & (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL);
  return S_OK;
}

HRESULT CTxtWinHost::TxGetPasswordChar(TCHAR* character) {
  if (!character) return E_INVALIDARG;
  *character = passwordChar_;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetAcceleratorPos(LONG* position) {
  if (!position) return E_INVALIDARG;
  *position = acceleratorPos_;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetExtent(LPSIZEL extent) {
  if (!extent) return E_INVALIDARG;
  *extent = extent_;
  return S_OK;
}

HRESULT CTxtWinHost::OnTxCharFormatChange(const CHARFORMATW*) {
  return S_OK;
}

HRESULT CTxtWinHost::OnTxParaFormatChange(const PARAFORMAT*) {
  return S_OK;
}

HRESULT CTxtWinHost::TxGetPropertyBits(DWORD mask, DWORD* bits) {
  if (!bits) return E_INVALIDARG;
  *bits = PropertyBits() & mask;
  return S_OK;
}

HRESULT CTxtWinHost::TxNotify(DWORD code, void* data) {
  if (edit_) edit_->OnEngineNotify(code, data);
  return S_OK;
}

HIMC CTxtWinHost::TxImmGetContext() {
  // The edit places the composition window itself.
  return nullptr;
}

void CTxtWinHost::TxImmReleaseContext(HIMC) {}

HRESULT CTxtWinHost::TxGetSelectionBarWidth(LONG* width) {
  if (!width) return E_INVALIDARG;
  *width = selectionBarWidth_;
  return S_OK;
}

}  // namespace ui
