#include "engine/cef/cef_command_line.h"

CefRefPtr<CefCommandLine> CefCommandLine::CreateCommandLine() {
  return new CefCommandLine();
}

void CefCommandLine::AppendSwitch(const CefString& name) {
  switches_.emplace_back(name, CefString());
}

void CefCommandLine::AppendSwitchWithValue(const CefString& name, const CefString& value) {
  switches_.emplace_back(name, value);
}

void CefCommandLine::AppendArgument(const CefString& argument) {
  arguments_.push_back(argument);
}

bool CefCommandLine::HasSwitch(const CefString& name) const {
  for (const auto& s : switches_) {
    if (s.first == name) return true;
  }
  return false;
}

// The last value given for a switch counts, as on a real command line.
CefString CefCommandLine::GetSwitchValue(const CefString& name) const {
  CefString value;
  for (const auto& s : switches_) {
    if (s.first == name) value = s.second;
  }
  return value;
}

CefString CefCommandLine::GetCommandLineString() const {
  std::wstring text;
  for (const auto& s : switches_) {
    if (!text.empty()) text += L' ';
    text += L"--" + s.first.ToWString();
    if (!s.second.empty()) text += L"=" + s.second.ToWString();
  }
  for (const CefString& a : arguments_) {
    if (!text.empty()) text += L' ';
    text += a.ToWString();
  }
  return text;
}
