#include "app/web_address.h"

#include <cwctype>

namespace {

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= text.size() || std::towlower(text[i]) != prefix[i]) return false;
  }
  return true;
}

bool IsHostStart(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
         c == L'[';
}

}  // namespace

bool WebAddress::IsWeb(const std::wstring& url) {
  size_t host = 0;
  if (StartsWithNoCase(url, L"http://")) host = 7;
  if (StartsWithNoCase(url, L"https://")) host = 8;
  if (host == 0 || host >= url.size() || !IsHostStart(url[host])) return false;
  // Blanks, quotes and control characters never belong to an address the shell should
  // take apart.
  for (wchar_t c : url) {
    if (c <= L' ' || c == L'"' || c == 0x7F) return false;
  }
  return true;
}
