#include "ui/core/resources/language_strings.h"

#include <cstdio>
#include <vector>

#include "runtime/string_util.h"

namespace ui {
namespace {

constexpr int kLineBufferSize = 4096;

// Blanks and control characters up to 29 (tabs, line ends) are trimmed.
bool IsTrimmed(wchar_t c) {
  return c == L' ' || c <= 29;
}

std::wstring Trim(const std::wstring& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsTrimmed(text[begin])) ++begin;
  while (end > begin && IsTrimmed(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Tokens between "=" signs; empty ones are dropped, so "==" separates like "=".
std::vector<std::wstring> SplitAtEquals(const std::wstring& line) {
  std::vector<std::wstring> tokens;
  size_t start = 0;
  while (start <= line.size()) {
    size_t end = line.find(L'=', start);
    if (end == std::wstring::npos) end = line.size();
    if (end > start) tokens.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  return tokens;
}

void SkipUtf8Mark(std::string& line) {
  if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
}

}  // namespace

bool LanguageStrings::LoadFromFile(const std::wstring& path) {
  strings_.clear();
  FILE* file = _wfopen(path.c_str(), L"r");
  if (!file) return false;
  char buffer[kLineBufferSize];
  bool first = true;
  while (std::fgets(buffer, sizeof(buffer), file)) {
    std::string line(buffer);
    // Editors on Windows often start UTF-8 files with a byte-order mark, which would
    // otherwise become part of the first id.
    if (first) SkipUtf8Mark(line);
    first = false;
    AddLine(kbase::Utf8ToWide(line));
  }
  std::fclose(file);
  return true;
}

void LanguageStrings::AddLine(std::wstring line) {
  line = Trim(line);
  if (line.empty()) return;
  const std::vector<std::wstring> tokens = SplitAtEquals(line);
  if (tokens.size() != 2) return;
  const std::wstring id = Trim(tokens[0]);
  if (id.empty() || id.find(L';') != std::wstring::npos) return;
  strings_[id] = Trim(tokens[1]);
}

std::wstring LanguageStrings::GetString(const std::wstring& id) const {
  if (id.empty()) return std::wstring();
  auto found = strings_.find(id);
  if (found == strings_.end()) return std::wstring();
  const std::wstring& text = found->second;
  std::wstring result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t next = i + 1 < text.size() ? text[i + 1] : L'\0';
    if (text[i] == L'\\' && (next == L'r' || next == L'n')) {
      result.push_back(next == L'r' ? L'\r' : L'\n');
      ++i;
    } else {
      result.push_back(text[i]);
    }
  }
  return result;
}

}  // namespace ui
