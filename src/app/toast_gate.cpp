#include "app/toast_gate.h"

#include <windows.h>

#include "app/client_messages.h"
#include "runtime/message_loop.h"
#include "runtime/string_util.h"

namespace {

int64_t PerformanceCounterMicroseconds() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<int64_t>(now.QuadPart * 1000000.0 / frequency.QuadPart);
}

void PostToCurrentLoop(std::function<void()> task, int64_t delay) {
  if (kbase::MessageLoop* loop = kbase::MessageLoop::Current()) loop->PostAfter(task, delay);
}

}  // namespace

ToastGate::ToastGate(ShowFunction show, PostFunction post, ClockFunction clock)
    : show_(std::move(show)),
      post_(post ? std::move(post) : PostFunction(PostToCurrentLoop)),
      clock_(clock ? std::move(clock) : ClockFunction(PerformanceCounterMicroseconds)) {}

std::wstring ToastGate::Shorten(const std::wstring& text) {
  if (text.size() <= kLongestText) return text;
  size_t cut = kLongestText - 1;
  // Never split a surrogate pair.
  if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
  return text.substr(0, cut) + L"\u2026";
}

void ToastGate::Show(const std::wstring& text) {
  const int64_t now = clock_();
  if (!shownOnce_ || now - lastShown_ >= kQuietPeriod) {
    ShowNow(Shorten(text));
    return;
  }
  pending_ = Shorten(text);
  if (flushQueued_) return;
  flushQueued_ = true;
  post_(MakeWeak([this] { ShowPending(); }), kQuietPeriod - (now - lastShown_));
}

vok_comp::HostFunction ToastGate::ShowMessageBoxFunction() {
  return MakeWeak([this](const std::string& params, vok_comp::ReplyFunction reply) {
    Show(kbase::Utf8ToWide(params));
    if (reply) reply(false, kShowMessageBoxReply);
  });
}

void ToastGate::ShowNow(const std::wstring& text) {
  shownOnce_ = true;
  lastShown_ = clock_();
  if (show_) show_(text);
}

void ToastGate::ShowPending() {
  flushQueued_ = false;
  ShowNow(pending_);
  pending_.clear();
}
