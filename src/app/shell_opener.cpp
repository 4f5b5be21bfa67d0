#include "app/shell_opener.h"

#include <windows.h>

#include <shellapi.h>

#include <mutex>

#include "app/web_address.h"

namespace {

// Set by tests on the UI thread, read on the engine's thread.
std::mutex openLock;
ShellOpener::OpenFunction openFunction;

void ShellOpen(const std::wstring& url) {
  ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
}

}  // namespace

void ShellOpener::SetOpenFunction(OpenFunction open) {
  std::lock_guard<std::mutex> hold(openLock);
  openFunction = std::move(open);
}

bool ShellOpener::Open(const std::wstring& url) {
  if (!WebAddress::IsWeb(url)) return false;
  OpenFunction open;
  {
    std::lock_guard<std::mutex> hold(openLock);
    open = openFunction;
  }
  if (open) {
    open(url);
  } else {
    ShellOpen(url);
  }
  return true;
}
