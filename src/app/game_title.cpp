#include "app/game_title.h"

#include <windows.h>

namespace {

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

std::string GameTitle::PercentDecode(const std::wstring& part) {
  std::string bytes;
  bytes.reserve(part.size());
  for (size_t i = 0; i < part.size(); ++i) {
    if (part[i] == L'%' && i + 2 < part.size()) {
      const int high = HexValue(part[i + 1]);
      const int low = HexValue(part[i + 2]);
      if (high >= 0 && low >= 0) {
        bytes.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    bytes.push_back(static_cast<char>(part[i] & 0xFF));
  }
  return bytes;
}

std::wstring GameTitle::DecodePart(const std::wstring& part) {
  const std::string bytes = PercentDecode(part);
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring text(length, L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, &text[0], length);
  return text.substr(0, text.find(L'\0'));
}

std::wstring GameTitle::FromAddress(const std::wstring& gameUrl) {
  const size_t bar = gameUrl.find(L'|');
  if (bar == std::wstring::npos) return std::wstring();
  const std::wstring tail = gameUrl.substr(bar + 1);
  const size_t second = tail.find(L'|');
  // One part alone is the whole title: repeating it as "name-name" says nothing more.
  if (second == std::wstring::npos) return DecodePart(tail);
  return DecodePart(tail.substr(0, second)) + L"-" + DecodePart(tail.substr(second + 1));
}
