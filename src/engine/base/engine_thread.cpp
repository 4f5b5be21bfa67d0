#include "engine/base/engine_thread.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace engine {
namespace {

constexpr UINT kRunTasks = WM_APP + 1;
const wchar_t kWindowClass[] = L"EngineTaskWindow";

LRESULT CALLBACK TaskWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void RegisterTaskWindowClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = TaskWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
  });
}

}  // namespace

class EngineThread::Impl {
 public:
  bool Start() {
    std::unique_lock<std::mutex> hold(lock_);
    if (thread_.joinable()) return false;
    thread_ = std::thread([this] { Run(); });
    started_.wait(hold, [this] { return window_ != nullptr || failed_; });
    if (failed_) {
      hold.unlock();
      thread_.join();
      return false;
    }
    return true;
  }

  void Stop() {
    HWND window;
    {
      std::lock_guard<std::mutex> hold(lock_);
      window = window_;
      stopping_ = true;
      tasks_.clear();
    }
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (thread_.joinable()) thread_.join();
  }

  bool Post(Task task) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!window_ || stopping_) return false;
    const bool wake = tasks_.empty();
    tasks_.push_back(std::move(task));
    if (wake) PostMessageW(window_, kRunTasks, 0, 0);
    return true;
  }

  bool IsCurrent() const { return GetCurrentThreadId() == threadId_; }

  void RunTasks() {
    std::deque<Task> batch;
    {
      std::lock_guard<std::mutex> hold(lock_);
      batch.swap(tasks_);
    }
    for (Task& task : batch) {
      if (Stopping()) return;
      task();
    }
  }

 private:
  bool Stopping() {
    std::lock_guard<std::mutex> hold(lock_);
    return stopping_;
  }

  void Run() {
    RegisterTaskWindowClass();
    threadId_ = GetCurrentThreadId();
    HWND window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    {
      std::lock_guard<std::mutex> hold(lock_);
      window_ = window;
      failed_ = window == nullptr;
    }
    started_.notify_all();
    if (!window) return;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    std::lock_guard<std::mutex> hold(lock_);
    tasks_.clear();
    window_ = nullptr;
  }

  std::mutex lock_;
  std::condition_variable started_;
  std::thread thread_;
  std::deque<Task> tasks_;
  HWND window_ = nullptr;
  DWORD threadId_ = 0;
  bool failed_ = false;
  bool stopping_ = false;
};

namespace {

LRESULT CALLBACK TaskWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* impl = reinterpret_cast<EngineThread::Impl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == kRunTasks && impl) {
    impl->RunTasks();
    return 0;
  }
  if (message == WM_CLOSE) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

EngineThread::EngineThread() : impl_(new Impl()) {}
EngineThread::~EngineThread() {
  Stop();
}
bool EngineThread::Start() {
  return impl_->Start();
}
void EngineThread::Stop() {
  impl_->Stop();
}
bool EngineThread::Post(Task task) {
  return impl_->Post(std::move(task));
}
bool EngineThread::IsCurrent() const {
  return impl_->IsCurrent();
}

bool EngineThread::RunAndWait(Task task, unsigned timeoutMs) {
  struct Done {
    std::mutex lock;
    std::condition_variable cv;
    bool done = false;
  };
  auto done = std::make_shared<Done>();
  const bool posted = Post([task = std::move(task), done] {
    task();
    std::lock_guard<std::mutex> hold(done->lock);
    done->done = true;
    done->cv.notify_all();
  });
  if (!posted) return false;
  // Messages sent to the waiting thread's windows are handled while it waits: the task may
  // touch a window of this thread (a browser window's parent, say) and wait for its answer.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::unique_lock<std::mutex> hold(done->lock);
  while (!done->cv.wait_for(hold, std::chrono::milliseconds(5), [&] { return done->done; })) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    hold.unlock();
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    hold.lock();
  }
  return true;
}

}  // namespace engine
