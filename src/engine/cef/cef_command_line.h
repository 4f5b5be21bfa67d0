#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/cef/cef_base.h"
#include "engine/cef/cef_string.h"

// The browser's command line: switches (name and optional value) and plain arguments.
class CefCommandLine : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefCommandLine> CreateCommandLine();

  bool IsValid() const { return true; }
  void AppendSwitch(const CefString& name);
  void AppendSwitchWithValue(const CefString& name, const CefString& value);
  void AppendArgument(const CefString& argument);
  bool HasSwitch(const CefString& name) const;
  CefString GetSwitchValue(const CefString& name) const;
  bool HasSwitches() const { return !switches_.empty(); }
  bool HasArguments() const { return !arguments_.empty(); }
  void GetArguments(std::vector<CefString>& arguments) const { arguments = arguments_; }
  // Switches in the order they were appended, each as (name, value).
  const std::vector<std::pair<CefString, CefString>>& Switches() const { return switches_; }
  // "--name=value --name2 argument", as the browser would be started with.
  CefString GetCommandLineString() const;

 private:
  CefCommandLine() = default;

  std::vector<std::pair<CefString, CefString>> switches_;
  std::vector<CefString> arguments_;
  IMPLEMENT_REFCOUNTING(CefCommandLine);
};
