#include "skin_location.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace {

std::wstring WithSeparator(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

std::wstring FullPath(const std::wstring& path) {
  std::vector<wchar_t> buffer(MAX_PATH);
  DWORD length =
      ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  if (length >= buffer.size()) {
    buffer.resize(length + 1);
    length =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  }
  std::wstring full = length ? std::wstring(buffer.data(), length) : path;
  for (wchar_t& c : full) {
    if (c == L'/') c = L'\\';
  }
  return full;
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  return text.size() >= prefix.size() &&
         ::_wcsnicmp(text.c_str(), prefix.c_str(), prefix.size()) == 0;
}

// The nearest folder named "resources" that holds the path, with its separator; empty when
// none does.
std::wstring ResourcesAbove(const std::wstring& folder) {
  const std::wstring name = L"\\resources\\";
  for (size_t end = folder.size(); end > 0;) {
    const size_t found = folder.rfind(L'\\', end - 1);
    if (found == std::wstring::npos) break;
    const size_t start = found;
    if (StartsWithNoCase(folder.substr(start), name)) return folder.substr(0, start + name.size());
    end = start;
  }
  return std::wstring();
}

// "themes\NAME" when the folder below the resources begins with it.
std::wstring ThemeBelow(const std::wstring& rest) {
  const std::wstring themes = L"themes\\";
  if (!StartsWithNoCase(rest, themes)) return std::wstring();
  const size_t end = rest.find(L'\\', themes.size());
  return end == std::wstring::npos ? std::wstring() : rest.substr(0, end);
}

}  // namespace

std::wstring SkinLocation::ThemeFolder() const {
  return theme.empty() ? resources : resources + theme + L"\\";
}

SkinLocation SkinLocation::Find(const std::wstring& layout, const std::wstring& resources,
                                const std::wstring& theme) {
  SkinLocation where;
  where.layout = FullPath(layout);
  const std::wstring folder = where.layout.substr(0, where.layout.rfind(L'\\') + 1);
  where.resources = resources.empty() ? ResourcesAbove(folder) : WithSeparator(FullPath(resources));
  if (where.resources.empty()) {
    where.resources = folder;
    return where;
  }
  where.theme = theme;
  for (wchar_t& c : where.theme) {
    if (c == L'/') c = L'\\';
  }
  if (theme.empty() && StartsWithNoCase(folder, where.resources)) {
    where.theme = ThemeBelow(folder.substr(where.resources.size()));
  }
  while (!where.theme.empty() && where.theme.back() == L'\\') where.theme.pop_back();
  const std::wstring themeFolder = where.ThemeFolder();
  if (StartsWithNoCase(folder, themeFolder)) where.skinFolder = folder.substr(themeFolder.size());
  return where;
}
