#include "engine/input/ime_input.h"

#include <windows.h>

#include <imm.h>

#include <mutex>

#include "engine/base/utf8.h"

namespace engine {
namespace {

std::mutex readerLock;
ImeReader& Reader() {
  static ImeReader reader;
  return reader;
}

std::wstring SystemString(HIMC context, DWORD part) {
  const LONG bytes = ImmGetCompositionStringW(context, part, nullptr, 0);
  if (bytes <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(bytes) / sizeof(wchar_t), L'\0');
  ImmGetCompositionStringW(context, part, &text[0], static_cast<DWORD>(bytes));
  return text;
}

ImeStrings SystemStrings(HWND window, unsigned long parts) {
  ImeStrings strings;
  HIMC context = ImmGetContext(window);
  if (!context) return strings;
  if (parts & GCS_RESULTSTR) strings.result = SystemString(context, GCS_RESULTSTR);
  if (parts & GCS_COMPSTR) strings.composing = SystemString(context, GCS_COMPSTR);
  if (parts & GCS_CURSORPOS)
    strings.cursor = ImmGetCompositionStringW(context, GCS_CURSORPOS, nullptr, 0);
  if (parts & GCS_COMPATTR) {
    const LONG size = ImmGetCompositionStringW(context, GCS_COMPATTR, nullptr, 0);
    if (size > 0) {
      strings.attributes.resize(static_cast<size_t>(size));
      ImmGetCompositionStringW(context, GCS_COMPATTR, strings.attributes.data(),
                               static_cast<DWORD>(size));
    }
  }
  ImmReleaseContext(window, context);
  return strings;
}

ImeStrings Read(HWND window, unsigned long parts) {
  ImeReader reader;
  {
    std::lock_guard<std::mutex> hold(readerLock);
    reader = Reader();
  }
  return reader ? reader(window, parts) : SystemStrings(window, parts);
}

// The composition's selection: the clause being converted, as the input method marks it,
// or else an empty selection at its caret (at its end when it names none).
void SelectionOf(const ImeStrings& strings, CompositionInput& input) {
  const int length = static_cast<int>(strings.composing.size());
  int first = -1;
  int last = -1;
  for (int i = 0; i < length && i < static_cast<int>(strings.attributes.size()); ++i) {
    const unsigned char a = strings.attributes[i];
    if (a == ATTR_TARGET_CONVERTED || a == ATTR_TARGET_NOTCONVERTED) {
      if (first < 0) first = i;
      last = i + 1;
    }
  }
  if (first >= 0) {
    input.selectionStart = first;
    input.selectionEnd = last;
    return;
  }
  const int caret = strings.cursor >= 0 && strings.cursor <= length ? strings.cursor : length;
  input.selectionStart = input.selectionEnd = caret;
}

CompositionInput Event(CompositionInput::Type type, const std::wstring& text = std::wstring()) {
  CompositionInput input;
  input.type = type;
  input.text = WideToUtf8(text);
  return input;
}

thread_local bool composing = false;

void Compose(HWND window, LPARAM parts, std::vector<CompositionInput>& events) {
  const ImeStrings strings = Read(window, static_cast<unsigned long>(parts));
  bool committed = false;
  if ((parts & GCS_RESULTSTR) && !strings.result.empty()) {
    events.push_back(Event(CompositionInput::Type::kCommit, strings.result));
    committed = true;
    composing = false;
  }
  if ((parts & GCS_COMPSTR) && !strings.composing.empty()) {
    CompositionInput update = Event(CompositionInput::Type::kUpdate, strings.composing);
    SelectionOf(strings, update);
    events.push_back(update);
    composing = true;
  } else if (composing && !committed && (parts == 0 || (parts & GCS_COMPSTR))) {
    // The text being composed was all taken back.
    events.push_back(Event(CompositionInput::Type::kCancel));
    composing = false;
  }
}

}  // namespace

void PlaceImeWindows(HWND window, int x, int y, int height) {
  HIMC context = ImmGetContext(window);
  if (!context) return;
  COMPOSITIONFORM composition = {CFS_POINT, {x, y}, {}};
  ImmSetCompositionWindow(context, &composition);
  CANDIDATEFORM candidates = {0, CFS_EXCLUDE, {x, y + height}, {x, y, x + 1, y + height}};
  ImmSetCandidateWindow(context, &candidates);
  ImmReleaseContext(window, context);
}

void SetImeReader(ImeReader reader) {
  std::lock_guard<std::mutex> hold(readerLock);
  Reader() = std::move(reader);
}

bool CompositionOf(HWND window, unsigned message, uintptr_t, intptr_t lParam,
                   std::vector<CompositionInput>& events) {
  events.clear();
  switch (message) {
    case WM_IME_STARTCOMPOSITION:
      return true;
    case WM_IME_COMPOSITION:
      Compose(window, lParam, events);
      return true;
    case WM_IME_ENDCOMPOSITION:
      // Ended without a commit: what was being composed goes.
      if (composing) events.push_back(Event(CompositionInput::Type::kCancel));
      composing = false;
      return true;
  }
  return false;
}

}  // namespace engine
