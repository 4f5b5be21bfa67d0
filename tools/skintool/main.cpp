// skintool: checks layout files for skin designers (see skin_tool.h).
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/string_util.h"
#include "skin_tool.h"
#include "ui/core/window/dpi_awareness.h"

namespace {

// A console gets the text as it is; a pipe or file gets UTF-8.
void WriteLine(DWORD stream, const std::wstring& line) {
  const HANDLE handle = GetStdHandle(stream);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  const std::wstring text = line + L"\n";
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(handle, &mode)) {
    WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  } else {
    const std::string bytes = kbase::WideToUtf8(text);
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  ui::DeclarePerMonitorDpiAwareness();
  const std::vector<std::wstring> arguments(argv + 1, argv + argc);
  SkinTool tool([](const std::wstring& line) { WriteLine(STD_OUTPUT_HANDLE, line); },
                [](const std::wstring& line) { WriteLine(STD_ERROR_HANDLE, line); });
  return tool.Run(arguments);
}
