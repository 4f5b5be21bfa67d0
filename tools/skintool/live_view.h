#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "file_watcher.h"
#include "runtime/weak_callback.h"
#include "skin_location.h"
#include "status_bar.h"

namespace ui {
class Control;
class Window;
}  // namespace ui

class LiveViewWindow;

// What `skintool show` opens: the layout in a real window of the framework, built as the
// client builds its windows, and built again whenever the layout, a file it includes, a
// child box, the theme's global style or an image it names is saved. A save that does not
// load keeps the last good window and lays a bar across it with the line `check` prints;
// the next good save takes the bar away. With Ctrl held, the bar names the control under
// the pointer. The framework must run on the calling thread (UiRegistry::Startup); all
// work happens in its messages and timers.
class LiveView : public kbase::SupportWeakCallback {
 public:
  struct Options {
    SkinLocation where;
    // The window's size without its shadow band; 0 takes the layout's own.
    int width = 0;
    int height = 0;
  };

  struct Event {
    enum class Kind { kLoaded, kReloaded, kFailed, kClosed };
    Kind kind;
    // From the start of the build to the end of the new window's first paint.
    double milliseconds = 0;
    // The failure lines for kFailed.
    std::vector<std::wstring> failures;
  };
  using EventCallback = std::function<void(const Event&)>;

  LiveView(Options options, EventCallback callback);
  ~LiveView() override;
  LiveView(const LiveView&) = delete;
  LiveView& operator=(const LiveView&) = delete;

  // Opens the window and starts watching. A layout that does not load still opens an
  // empty window with the bar; false only when no window could be made at all.
  bool Open();
  // Builds the layout again now, as a save of every file it uses does.
  void Reload();

  // The window on show (the last one built that loaded), or none once it has closed.
  ui::Window* View() const;
  const StatusBar& Bar() const { return bar_; }
  const FileWatcher& Watcher() const { return watcher_; }
  // The files being watched.
  const std::vector<std::wstring>& WatchedFiles() const { return files_; }

 private:
  // Builds the layout again after the files named changed: the theme's style is read again
  // only when it changed, and only changed images are decoded again.
  void Rebuild(const std::vector<std::wstring>& changed);
  void ForgetChanged(const std::vector<std::wstring>& changed);
  // Builds the new tree into the window on show; false when there is none to build into.
  bool RebuildInPlace();
  void ReportBuildFailure();
  // Makes and shows a window at the place given (centred when none); null when the layout
  // did not build.
  LiveViewWindow* MakeWindow(const POINT* place);
  LiveViewWindow* MakeFallbackWindow();
  // Takes a new window as the one to show once it has painted.
  void Adopt(LiveViewWindow* window);
  void Painted(LiveViewWindow* window);
  void Gone(LiveViewWindow* window);
  void Inspected(LiveViewWindow* window, ui::Control* control);
  void ShowBar();
  void Emit(Event event);

  Options options_;
  EventCallback callback_;
  FileWatcher watcher_;
  StatusBar bar_;
  std::vector<std::wstring> files_;
  std::vector<std::wstring> failures_;
  // Files changed since the last build that loaded, whose cached contents must go.
  std::vector<std::wstring> unapplied_;
  std::wstring inspection_;
  // The window on show, the one being built to replace it, and replaced ones not yet gone.
  LiveViewWindow* shown_ = nullptr;
  LiveViewWindow* pending_ = nullptr;
  std::vector<LiveViewWindow*> retired_;
  // The window on show holds the empty frame of a layout that never loaded.
  bool shownIsFallback_ = false;
  // The window on show is being built again and has not painted since.
  bool rebuildingInPlace_ = false;
  double buildStart_ = 0;
  bool closing_ = false;
};
