// The keyboard and the input method in the window of a real browser's page.

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <mutex>
#include <vector>

#include <winsock2.h>

#include <imm.h>

#include "engine/devtools_fixture.h"
#include "engine/input/ime_input.h"

using namespace engine_test;

namespace {

// Posts a key's press and release.
void PostKey(HWND window, int virtualKey, bool extended = false) {
  const LPARAM flags = extended ? (1 << 24) : 0;
  PostMessageW(window, WM_KEYDOWN, virtualKey, 1 | flags);
  PostMessageW(window, WM_KEYUP, virtualKey, 1 | flags | (3u << 30));
}

// Characters as the window gets them from the keyboard once its keys are translated (the
// engine's message loop translates posted keys too, so only the characters are posted).
void PostText(HWND window, const std::wstring& text) {
  for (wchar_t c : text) PostMessageW(window, WM_CHAR, c, 1);
}

const char kInputPage[] =
    "<html><body style='margin:0'>"
    "<input id=field style='position:absolute;left:0;top:0;width:300px;height:40px'>"
    "<script>"
    "const field = document.getElementById('field');"
    "field.addEventListener('input', () => document.title = '[' + field.value + ']');"
    "field.addEventListener('keydown', e => { if (e.key === 'F2') document.title = "
    "'keys ' + e.key + ' ' + e.code; });"
    "</script></body></html>";

}  // namespace

TEST_F(DevToolsView, TypingFillsTheFocusedInput) {
  HWND view = OpenLoaded("/input", kInputPage);
  ASSERT_NE(view, nullptr);
  PostClick(view, 20, 20);
  PostText(view, L"Hello, World!");
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "[Hello, World!]"; }))
      << LastTitle();
  // The caret goes back over "World!" and the space before it is deleted.
  for (int i = 0; i < 6; ++i) PostKey(view, VK_LEFT, true);
  PostKey(view, VK_BACK);
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "[Hello,World!]"; }))
      << LastTitle();
  PostKey(view, VK_F2);
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "keys F2 F2"; })) << LastTitle();
}

namespace {

// Keys pressed while modifier keys are held, as the window gets them from the keyboard.
// They are sent rather than posted: a posted key would be translated into a character after
// the modifiers' releases, which the keyboard's own would never be.
struct KeyChord {
  const char* name;
  std::vector<int> held;
  int key;
  const char* expected;  // the input's value and selection afterwards
};

void SendChord(HWND window, const KeyChord& chord) {
  static const std::vector<int> kExtended = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END};
  const bool extended = std::find(kExtended.begin(), kExtended.end(), chord.key) != kExtended.end();
  const LPARAM flags = extended ? (1 << 24) : 0;
  const LPARAM released = 1 | (3u << 30);
  for (int modifier : chord.held) SendMessageW(window, WM_KEYDOWN, modifier, 1);
  SendMessageW(window, WM_KEYDOWN, chord.key, 1 | flags);
  SendMessageW(window, WM_KEYUP, chord.key, released | flags);
  for (auto it = chord.held.rbegin(); it != chord.held.rend(); ++it) {
    SendMessageW(window, WM_KEYUP, *it, released);
  }
}

const char kSelectionPage[] =
    "<html><body style='margin:0'>"
    "<input id=field value='one two three' "
    "style='position:absolute;left:0;top:0;width:300px;height:40px'>"
    "<script>"
    "const field = document.getElementById('field');"
    "setInterval(() => document.title = (document.activeElement === field ? '' : 'unfocused ') +"
    " '[' + field.value + '] ' + field.selectionStart + '-' + field.selectionEnd, 40);"
    "</script></body></html>";

}  // namespace

TEST_F(DevToolsView, ModifierKeysMoveSelectAndEditAsInABrowser) {
  const KeyChord chords[] = {
      {"end", {}, VK_END, "[one two three] 13-13"},
      {"ctrl+left goes back a word", {VK_CONTROL}, VK_LEFT, "[one two three] 8-8"},
      {"shift+home selects to the start", {VK_SHIFT}, VK_HOME, "[one two three] 0-8"},
      {"shift+right gives one back", {VK_SHIFT}, VK_RIGHT, "[one two three] 1-8"},
      {"right ends the selection", {}, VK_RIGHT, "[one two three] 8-8"},
      {"shift+left selects a letter", {VK_SHIFT}, VK_LEFT, "[one two three] 7-8"},
      {"ctrl+shift+left selects a word", {VK_CONTROL, VK_SHIFT}, VK_LEFT, "[one two three] 4-8"},
      {"ctrl+a selects all", {VK_CONTROL}, 'A', "[one two three] 0-13"},
      {"ctrl+c copies", {VK_CONTROL}, 'C', "[one two three] 0-13"},
      {"end again", {}, VK_END, "[one two three] 13-13"},
      {"ctrl+v pastes", {VK_CONTROL}, 'V', "[one two threeone two three] 26-26"},
      {"ctrl+z undoes", {VK_CONTROL}, 'Z', "[one two three] 13-13"},
      {"ctrl+y redoes", {VK_CONTROL}, 'Y', "[one two threeone two three] 26-26"},
      {"ctrl+x cuts what ctrl+a selected", {VK_CONTROL}, 'A', "[one two threeone two three] 0-26"},
      {"ctrl+x", {VK_CONTROL}, 'X', "[] 0-0"},
  };
  HWND view = OpenLoaded("/selection", kSelectionPage);
  ASSERT_NE(view, nullptr);
  PostClick(view, 20, 20);
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t.rfind("[one two three]", 0) == 0; }))
      << "the click focuses the input: " << LastTitle();
  for (const KeyChord& c : chords) {
    SendChord(view, c);
    EXPECT_TRUE(WaitForTitle([&](const std::string& t) { return t == c.expected; }))
        << c.name << ": " << LastTitle();
  }
}

// ---- the input method ----

namespace {

const char kCompositionPage[] =
    "<html><body style='margin:0'>"
    "<input id=field style='position:absolute;left:0;top:0;width:300px;height:40px'>"
    "<script>"
    "const field = document.getElementById('field');"
    "let last = 'none';"
    "for (const type of ['compositionstart', 'compositionupdate', 'compositionend'])"
    "  field.addEventListener(type, e => last = type.slice(11) + ':' + e.data);"
    "setInterval(() => document.title = (document.activeElement === field ? '' : 'unfocused ') +"
    " last + ' [' + field.value + '] ' + field.selectionStart, 40);"
    "</script></body></html>";

// An input method whose strings the test gives, one set for each message that reads them.
class TestInputMethod {
 public:
  TestInputMethod() {
    engine::SetImeReader([this](HWND, unsigned long) {
      std::lock_guard<std::mutex> hold(lock_);
      engine::ImeStrings next;
      if (!queued_.empty()) {
        next = queued_.front();
        queued_.pop_front();
      }
      return next;
    });
  }
  ~TestInputMethod() { engine::SetImeReader(nullptr); }

  void Compose(HWND window, const std::wstring& text, int cursor) {
    Queue({text, L"", cursor, {}});
    PostMessageW(window, WM_IME_COMPOSITION, 0, GCS_COMPSTR | GCS_CURSORPOS);
  }
  void Commit(HWND window, const std::wstring& text) {
    Queue({L"", text, -1, {}});
    PostMessageW(window, WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
  }

 private:
  void Queue(const engine::ImeStrings& strings) {
    std::lock_guard<std::mutex> hold(lock_);
    queued_.push_back(strings);
  }

  std::mutex lock_;
  std::deque<engine::ImeStrings> queued_;
};

}  // namespace

TEST_F(DevToolsView, ComposedTextArrivesInTheInput) {
  TestInputMethod ime;
  HWND view = OpenLoaded("/compose", kCompositionPage);
  ASSERT_NE(view, nullptr);
  PostClick(view, 20, 20);
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t == "none [] 0"; })) << LastTitle();

  PostMessageW(view, WM_IME_STARTCOMPOSITION, 0, 0);
  ime.Compose(view, L"ni", 1);
  EXPECT_TRUE(WaitForTitle([](const std::string& t) { return t == "update:ni [ni] 1"; }))
      << "the text being composed shows, caret inside: " << LastTitle();
  ime.Compose(view, L"\u4F60\u597D", 2);
  const std::string nihao = "\xE4\xBD\xA0\xE5\xA5\xBD";
  EXPECT_TRUE(WaitForTitle([&](const std::string& t) {
    return t == "update:" + nihao + " [" + nihao + "] 2";
  })) << LastTitle();
  ime.Commit(view, L"\u4F60\u597D");
  PostMessageW(view, WM_IME_ENDCOMPOSITION, 0, 0);
  EXPECT_TRUE(WaitForTitle([&](const std::string& t) {
    return t == "end:" + nihao + " [" + nihao + "] 2";
  })) << "the committed text stays: "
      << LastTitle();

  PostMessageW(view, WM_IME_STARTCOMPOSITION, 0, 0);
  ime.Compose(view, L"ma", 2);
  EXPECT_TRUE(WaitForTitle([&](const std::string& t) {
    return t == "update:ma [" + nihao + "ma] 4";
  })) << LastTitle();
  PostMessageW(view, WM_IME_ENDCOMPOSITION, 0, 0);
  EXPECT_TRUE(WaitForTitle([&](const std::string& t) { return t == "end: [" + nihao + "] 2"; }))
      << "a composition ended without a commit goes: " << LastTitle();
}

TEST_F(DevToolsView, TheInputMethodsWindowsFollowTheCaret) {
  const char page[] =
      "<html><body style='margin:0'>"
      "<input id=field style='position:absolute;left:50px;top:100px;width:300px;height:40px;"
      "font:20px sans-serif;padding:0 2px;border:0'>"
      "<script>"
      "const field = document.getElementById('field');"
      "setInterval(() => document.title = '[' + field.value + '] ' + field.selectionStart, 40);"
      "</script></body></html>";
  HWND view = OpenLoaded("/caret", page);
  ASSERT_NE(view, nullptr);
  PostClick(view, 60, 120);
  PostText(view, L"abcdefgh");
  ASSERT_TRUE(WaitForTitle([](const std::string& t) { return t == "[abcdefgh] 8"; }))
      << LastTitle();
  // Where the candidate window goes when a composition starts, read on the window's thread.
  auto placed = [&] {
    CANDIDATEFORM form = {};
    engine::EngineCore::Get()->UiThread().RunAndWait(
        [&] {
          SendMessageW(view, WM_IME_STARTCOMPOSITION, 0, 0);
          SendMessageW(view, WM_IME_ENDCOMPOSITION, 0, 0);
          HIMC context = ImmGetContext(view);
          if (context) ImmGetCandidateWindow(context, 0, &form);
          ImmReleaseContext(view, context);
        },
        10000);
    return form;
  };
  CANDIDATEFORM form = {};
  // Eight letters of 20 px text are some 70-90 px wide; the window goes below the line.
  EXPECT_TRUE(WaitFor([&] {
    form = placed();
    return form.ptCurrentPos.x > 100 && form.ptCurrentPos.x < 160;
  })) << form.ptCurrentPos.x
      << "," << form.ptCurrentPos.y;
  EXPECT_EQ(form.dwStyle, static_cast<DWORD>(CFS_EXCLUDE));
  EXPECT_GT(form.ptCurrentPos.y, 115);
  EXPECT_LT(form.ptCurrentPos.y, 145);
  EXPECT_LT(form.rcArea.top, form.ptCurrentPos.y);
  PostKey(view, VK_HOME, true);
  EXPECT_TRUE(WaitFor([&] {
    form = placed();
    return form.ptCurrentPos.x >= 50 && form.ptCurrentPos.x < 60;
  })) << "the caret went home: "
      << form.ptCurrentPos.x;
}
