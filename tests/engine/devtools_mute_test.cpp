// Muting a page on a real browser: media elements whenever they appear, audio contexts, and
// the documents the page loads while muted.

#include <winsock2.h>

#include "engine/devtools_fixture.h"

using namespace engine_test;

namespace {

// The page shows, in its title, the muted state of every element it keeps in `m`.
const char kMediaPage[] =
    "<html><body><video id=before></video><script>"
    "window.m = {before: document.getElementById('before')};"
    "m.ownMute = document.createElement('audio'); m.ownMute.muted = true;"
    "document.body.appendChild(m.ownMute);"
    "setInterval(() => document.title = Object.keys(m).sort()"
    ".map(k => k + '=' + m[k].muted).join(' '), 50);"
    "</script></body></html>";

// The page makes its audio contexts on the first click (a page may start audio only after
// the user's gesture) and shows the state of every context it keeps in `a`.
const char kAudioPage[] =
    "<html><body style='margin:0;height:100%'><script>"
    "addEventListener('mousedown', () => {"
    " window.a = {first: new AudioContext(), own: new AudioContext()}; a.own.suspend(); },"
    " {once: true});"
    "setInterval(() => document.title = window.a ? Object.keys(a).sort()"
    ".map(k => k + '=' + a[k].state).join(' ') : 'no audio yet', 50);"
    "</script></body></html>";

// A page with a video and a same-origin frame holding another; the title tells both.
const char kFramedPage[] =
    "<html><body><video id=v></video><iframe id=f srcdoc='<video id=v></video>'></iframe>"
    "<script>"
    "setInterval(() => { const inner = document.getElementById('f').contentDocument"
    ".getElementById('v');"
    " document.title = 'page=' + document.getElementById('v').muted + ' frame=' + "
    "(inner ? inner.muted : '?'); }, 50);"
    "</script></body></html>";

struct AddedElement {
  const char* name;
  const char* script;  // keeps the element as m[name]
};

}  // namespace

class DevToolsMute : public DevToolsView {
 protected:
  bool TitleBecomes(const std::string& expected) {
    return WaitForTitle([&](const std::string& t) { return t == expected; });
  }
  void Run(const std::string& script) {
    client_->Browser()->GetMainFrame()->ExecuteJavaScript(script, "", 0);
  }
  void Mute(bool mute) { client_->Browser()->GetHost()->SetAudioMuted(mute); }
  // Loads a page and waits for the title its new document gives itself.
  bool LoadedPageTitles(const std::string& url, const std::string& expected) {
    const size_t mark = log_.All().size();
    client_->Browser()->GetMainFrame()->LoadURL(url);
    return WaitFor([&] {
      const std::vector<Event> events = log_.All();
      bool started = false;
      for (size_t i = mark; i < events.size(); ++i) {
        started = started || events[i].what == "OnLoadStart";
        if (started && events[i].what == "OnTitleChange" && events[i].detail == expected)
          return true;
      }
      return false;
    });
  }
};

TEST_F(DevToolsMute, MediaElementsAddedWhileMutedAreMuted) {
  const AddedElement added[] = {
      {"added", "m.added = document.body.appendChild(document.createElement('audio'));"},
      {"nested",
       "const d = document.createElement('div'); d.innerHTML = '<p><video></video></p>';"
       "document.body.appendChild(d); m.nested = d.querySelector('video');"},
      {"detached", "m.detached = new Audio(); m.detached.play().catch(() => {});"},
      {"unmutedByPage",
       "m.unmutedByPage = document.body.appendChild(document.createElement('video'));"
       "m.unmutedByPage.muted = false;"},
  };
  server_.Set("/media", {200, kMediaPage, ""});
  Open(server_.Url("/media"));
  ASSERT_TRUE(TitleBecomes("before=false ownMute=true")) << LastTitle();
  Mute(true);
  ASSERT_TRUE(TitleBecomes("before=true ownMute=true")) << LastTitle();
  for (const AddedElement& a : added) Run(a.script);
  EXPECT_TRUE(TitleBecomes(
      "added=true before=true detached=true nested=true ownMute=true unmutedByPage=true"))
      << LastTitle();
  // Unmuted, each element is as the page left it.
  Mute(false);
  EXPECT_TRUE(TitleBecomes(
      "added=false before=false detached=false nested=false ownMute=true unmutedByPage=false"))
      << LastTitle();
}

TEST_F(DevToolsMute, AudioContextsAreSuspendedWhileMuted) {
  server_.Set("/audio", {200, kAudioPage, ""});
  HWND view = OpenChild(server_.Url("/audio"), 300, 200);
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(TitleBecomes("no audio yet")) << LastTitle();
  PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  PostMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  ASSERT_TRUE(TitleBecomes("first=running own=suspended")) << LastTitle();
  Mute(true);
  EXPECT_TRUE(TitleBecomes("first=suspended own=suspended")) << LastTitle();
  // A context made while muted starts suspended; the page cannot resume one until unmuted.
  Run("a.later = new AudioContext(); a.first.resume().then(() => a.resumed = a.first);");
  EXPECT_TRUE(TitleBecomes("first=suspended later=suspended own=suspended")) << LastTitle();
  Mute(false);
  EXPECT_TRUE(TitleBecomes("first=running later=running own=suspended resumed=running"))
      << LastTitle();
}

// The muted state outlives the document: a page loaded while muted starts muted, frames and
// all; one loaded after unmuting does not.
TEST_F(DevToolsMute, DocumentsLoadedWhileMutedAreMuted) {
  server_.Set("/framed", {200, kFramedPage, ""});
  server_.Set("/framed-again", {200, kFramedPage, ""});
  Open(server_.Url("/framed"));
  ASSERT_TRUE(TitleBecomes("page=false frame=false")) << LastTitle();
  Mute(true);
  EXPECT_TRUE(TitleBecomes("page=true frame=true")) << LastTitle();
  EXPECT_TRUE(LoadedPageTitles(server_.Url("/framed-again"), "page=true frame=true"))
      << LastTitle();
  Mute(false);
  EXPECT_TRUE(TitleBecomes("page=false frame=false")) << LastTitle();
  EXPECT_TRUE(LoadedPageTitles(server_.Url("/framed"), "page=false frame=false")) << LastTitle();
}
