#include "live_view.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <typeinfo>
#include <utility>

#include "live_view_window.h"
#include "skin_scan.h"
#include "ui/controls/control_classes.h"
#include "ui/core/resources/ui_registry.h"
#include "ui/core/tree/control.h"

namespace {

// The client's own windows are made with this style, less the caption the skinned frame
// takes away.
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX;
// Shown while the layout has never loaded: an empty frame for the bar to lie on.
const wchar_t kFallbackLayout[] = L"<Window size=\"560,160\" caption=\"0,0,0,160\"><Box/></Window>";

double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  return text.size() >= prefix.size() &&
         ::_wcsnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

// The class a control is of, as layouts name it.
std::wstring ClassOf(const ui::Control& control) {
  const char* mangled = typeid(control).name();
  int status = 0;
  char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string name = status == 0 && demangled ? demangled : mangled;
  std::free(demangled);
  const size_t scope = name.rfind("::");
  if (scope != std::string::npos) name = name.substr(scope + 2);
  return std::wstring(name.begin(), name.end());
}

void AddOnce(std::vector<std::wstring>* list, const std::wstring& item) {
  if (std::find(list->begin(), list->end(), item) == list->end()) list->push_back(item);
}

std::wstring Describe(const ui::Control& control) {
  const ui::UiRect r = control.GetPosition(false);
  const std::wstring name =
      control.GetName().empty() ? L"(no name)" : L"\"" + control.GetName() + L"\"";
  return name + L"  " + ClassOf(control) + L"  " + std::to_wstring(r.left) + L"," +
         std::to_wstring(r.top) + L" - " + std::to_wstring(r.right) + L"," +
         std::to_wstring(r.bottom) + L"  (" + std::to_wstring(r.right - r.left) + L" x " +
         std::to_wstring(r.bottom - r.top) + L")";
}

}  // namespace

LiveView::LiveView(Options options, EventCallback callback)
    : options_(std::move(options)),
      callback_(std::move(callback)),
      watcher_([this](const std::vector<std::wstring>& changed) { Rebuild(changed); }) {
  // The view knows every class the client's layouts can name.
  ui::AddControlClasses();
  // A layout that does not build is reported on the bar, never in a box that waits.
  ui::WindowImplBase::SetMessageBoxFunction(
      [](HWND, const wchar_t*, const wchar_t*, UINT) { return IDOK; });
}

LiveView::~LiveView() {
  closing_ = true;
  std::vector<LiveViewWindow*> windows = retired_;
  if (pending_) windows.push_back(pending_);
  if (shown_) windows.push_back(shown_);
  for (LiveViewWindow* window : windows) ::DestroyWindow(window->GetHWND());
  ui::WindowImplBase::SetMessageBoxFunction(nullptr);
}

bool LiveView::Open() {
  const SkinScan scan = SkinScan::Of(options_.where);
  files_ = scan.files;
  watcher_.Watch(files_);
  failures_ = scan.failures;
  buildStart_ = NowMs();
  if (failures_.empty()) {
    LiveViewWindow* window = MakeWindow(nullptr);
    if (window) {
      Adopt(window);
      return true;
    }
    failures_.push_back(options_.where.layout + L": FAIL, the layout builds no control");
  }
  shown_ = MakeFallbackWindow();
  if (!shown_) return false;
  shownIsFallback_ = true;
  ShowBar();
  Emit(Event{Event::Kind::kFailed, 0, failures_});
  return true;
}

void LiveView::Reload() {
  Rebuild(files_);
}

void LiveView::Rebuild(const std::vector<std::wstring>& changed) {
  if (closing_ || (!shown_ && !pending_)) return;
  for (const std::wstring& file : changed) AddOnce(&unapplied_, file);
  const SkinScan scan = SkinScan::Of(options_.where);
  files_ = scan.files;
  watcher_.Watch(files_);
  failures_ = scan.failures;
  if (!failures_.empty()) {
    ShowBar();
    Emit(Event{Event::Kind::kFailed, 0, failures_});
    return;
  }
  buildStart_ = NowMs();
  ForgetChanged(unapplied_);
  unapplied_.clear();
  if (RebuildInPlace()) return;
  LiveViewWindow* current = pending_ ? pending_ : shown_;
  RECT place{};
  ::GetWindowRect(current->GetHWND(), &place);
  const POINT topLeft{place.left, place.top};
  LiveViewWindow* window = MakeWindow(&topLeft);
  if (!window) {
    ReportBuildFailure();
    return;
  }
  if (pending_) {
    retired_.push_back(pending_);
    ::DestroyWindow(pending_->GetHWND());
  }
  Adopt(window);
}

void LiveView::ForgetChanged(const std::vector<std::wstring>& changed) {
  const std::wstring global = options_.where.ThemeFolder() + L"global.xml";
  for (const std::wstring& file : changed) {
    if (::_wcsicmp(file.c_str(), global.c_str()) == 0) {
      // Fonts are made again only when the theme changed them.
      ui::UiRegistry::ReloadGlobalStyle();
    } else {
      ui::UiRegistry::ForgetCachedImage(file);
    }
  }
  // Parsed layouts are cheap to read again, and any of them may include a changed one.
  ui::UiRegistry::ForgetCachedLayouts();
}

bool LiveView::RebuildInPlace() {
  if (!shown_ || pending_ || shownIsFallback_) return false;
  rebuildingInPlace_ = true;
  // The window paints the new tree before this returns, which reports the reload.
  if (!shown_->Rebuild(options_.width, options_.height)) {
    rebuildingInPlace_ = false;
    ReportBuildFailure();
  }
  return true;
}

void LiveView::ReportBuildFailure() {
  failures_.push_back(options_.where.layout + L": FAIL, the layout builds no control");
  ShowBar();
  Emit(Event{Event::Kind::kFailed, 0, failures_});
}

void LiveView::Adopt(LiveViewWindow* window) {
  pending_ = window;
  // The new window shows on top of the old and paints now; the swap happens then.
  if (window->HasPainted()) {
    Painted(window);
  } else {
    // A layered window has no paint of its own to wait for: the frame is drawn here.
    ::SendMessageW(window->GetHWND(), WM_PAINT, 0, 0);
  }
}

LiveViewWindow* LiveView::MakeWindow(const POINT* place) {
  const SkinLocation& where = options_.where;
  const std::wstring folder = where.ThemeFolder() + where.skinFolder;
  const bool inSkin = StartsWithNoCase(where.layout, folder);
  const std::wstring file = inSkin ? where.layout.substr(folder.size()) : where.layout;
  LiveViewWindow::Hooks hooks;
  hooks.painted = MakeWeak([this](LiveViewWindow* window) { Painted(window); });
  hooks.moved = MakeWeak([this](LiveViewWindow* window) {
    if (window == shown_ && bar_.IsShown()) bar_.Follow(window->GetHWND(), window->VisibleRect());
  });
  hooks.inspected = MakeWeak(
      [this](LiveViewWindow* window, ui::Control* control) { Inspected(window, control); });
  hooks.gone = MakeWeak([this](LiveViewWindow* window) { Gone(window); });
  auto* window = new LiveViewWindow(inSkin ? where.skinFolder : std::wstring(), file, hooks);
  const std::weak_ptr<kbase::WeakFlag> alive = window->WeakFlagOf();
  const HWND hwnd = window->CreateNativeWindow(nullptr, L"skintool: " + where.layout, kWindowStyle,
                                               0, true, ui::UiRect());
  // A layout that does not build fails the creation, and the window deletes itself.
  if (alive.expired() || !hwnd) return nullptr;
  if (options_.width > 0 && options_.height > 0) {
    window->SetInitSize(options_.width, options_.height);
  }
  if (place) {
    ::SetWindowPos(hwnd, HWND_TOP, place->x, place->y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    window->ShowNativeWindow(true, false);
  } else {
    window->CenterWindow();
    window->ShowNativeWindow(true, true);
  }
  return window;
}

LiveViewWindow* LiveView::MakeFallbackWindow() {
  LiveViewWindow::Hooks hooks;
  hooks.moved = MakeWeak([this](LiveViewWindow* window) {
    if (window == shown_ && bar_.IsShown()) bar_.Follow(window->GetHWND(), window->VisibleRect());
  });
  hooks.gone = MakeWeak([this](LiveViewWindow* window) { Gone(window); });
  // An empty skin folder makes the layout text itself the builder's source.
  auto* window = new LiveViewWindow(std::wstring(), kFallbackLayout, hooks);
  const std::weak_ptr<kbase::WeakFlag> alive = window->WeakFlagOf();
  const HWND hwnd = window->CreateNativeWindow(nullptr, L"skintool: " + options_.where.layout,
                                               kWindowStyle, 0, true, ui::UiRect());
  if (alive.expired() || !hwnd) return nullptr;
  window->CenterWindow();
  window->ShowNativeWindow(true, true);
  return window;
}

void LiveView::Painted(LiveViewWindow* window) {
  const double milliseconds = NowMs() - buildStart_;
  if (window == shown_ && rebuildingInPlace_) {
    rebuildingInPlace_ = false;
    inspection_.clear();
    ShowBar();
    Emit(Event{Event::Kind::kReloaded, milliseconds, {}});
    return;
  }
  if (window != pending_) return;
  LiveViewWindow* old = shown_;
  const bool first = old == nullptr;
  shown_ = pending_;
  shownIsFallback_ = false;
  pending_ = nullptr;
  inspection_.clear();
  // The bar moves to the new window before the old one takes it down with it.
  ShowBar();
  if (old) {
    retired_.push_back(old);
    ::DestroyWindow(old->GetHWND());
  }
  Emit(Event{first ? Event::Kind::kLoaded : Event::Kind::kReloaded, milliseconds, {}});
}

void LiveView::Gone(LiveViewWindow* window) {
  retired_.erase(std::remove(retired_.begin(), retired_.end(), window), retired_.end());
  if (window == pending_) pending_ = nullptr;
  if (window != shown_) return;
  shown_ = nullptr;
  if (closing_) return;
  // The designer closed the window: the view is over.
  closing_ = true;
  if (pending_) ::DestroyWindow(pending_->GetHWND());
  Emit(Event{Event::Kind::kClosed, 0, {}});
}

void LiveView::Inspected(LiveViewWindow* window, ui::Control* control) {
  if (window != shown_) return;
  inspection_ = control ? Describe(*control) : std::wstring();
  ShowBar();
}

void LiveView::ShowBar() {
  if (!shown_) return;
  const HWND owner = shown_->GetHWND();
  const RECT over = shown_->VisibleRect();
  bar_.Follow(owner, over);
  if (!inspection_.empty()) {
    bar_.Show(owner, over, inspection_, StatusBar::Kind::kInspection);
  } else if (!failures_.empty()) {
    std::wstring text = failures_.front();
    if (failures_.size() > 1) text += L"  (+" + std::to_wstring(failures_.size() - 1) + L" more)";
    bar_.Show(owner, over, text, StatusBar::Kind::kFailure);
  } else {
    bar_.Hide();
  }
}

void LiveView::Emit(Event event) {
  if (callback_) callback_(event);
}

ui::Window* LiveView::View() const {
  return shown_;
}
