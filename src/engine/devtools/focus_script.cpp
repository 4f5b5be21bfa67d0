#include "engine/devtools/focus_script.h"

namespace engine {
namespace {

const char kFocusChange[] = R"JS(
(function (focused) {
  const active = document.activeElement;
  const element = active && active !== document.body && active !== document.documentElement
      ? active : null;
  const send = (target, type) => target.dispatchEvent(new FocusEvent(type));
  if (!focused && element) send(element, 'blur');
  send(window, focused ? 'focus' : 'blur');
  if (focused && element) send(element, 'focus');
})
)JS";

}  // namespace

std::string FocusChangeScript(bool focused) {
  std::string script = kFocusChange;
  script += focused ? "(true)" : "(false)";
  return script;
}

}  // namespace engine
