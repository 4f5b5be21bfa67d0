#include "skin_scan.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "layout_check.h"
#include "ui/core/markup/xml_document.h"

namespace {

// Layouts that include each other in a ring are read once each; past this many the rest
// is left unread, as the builder's own nesting limit leaves it unbuilt.
constexpr size_t kMaxLayoutFiles = 64;

bool IsLayoutFile(const std::wstring& path) {
  return path.size() > 4 && ::_wcsicmp(path.c_str() + path.size() - 4, L".xml") == 0;
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void AddOnce(std::vector<std::wstring>* list, const std::wstring& path) {
  if (std::find(list->begin(), list->end(), path) == list->end()) list->push_back(path);
}

// A theme without "global.xml" runs on the framework's defaults; one that does not parse
// is a failure the designer must see.
void ScanGlobalStyle(const SkinLocation& where, SkinScan* scan) {
  const std::wstring global = where.ThemeFolder() + L"global.xml";
  AddOnce(&scan->files, global);
  if (!Exists(global)) return;
  ui::XmlDocument document;
  if (!document.LoadFromFile(global)) scan->failures.push_back(LoadFailureLine(global, document));
}

}  // namespace

SkinScan SkinScan::Of(const SkinLocation& where) {
  SkinScan scan;
  std::vector<std::wstring> layouts{where.layout};
  scan.files.push_back(where.layout);
  for (size_t i = 0; i < layouts.size() && i < kMaxLayoutFiles; ++i) {
    const std::wstring file = layouts[i];
    ui::XmlDocument document;
    if (!document.LoadFromFile(file)) {
      scan.failures.push_back(LoadFailureLine(file, document));
      continue;
    }
    if (document.ElementCount() == 0) {
      scan.failures.push_back(file + L": FAIL, no root element");
      continue;
    }
    std::vector<std::wstring> named;
    for (const std::wstring& problem : CheckLayout(document, where, &named)) {
      scan.failures.push_back(file + L": FAIL, " + problem);
    }
    for (const std::wstring& path : named) {
      AddOnce(&scan.files, path);
      if (IsLayoutFile(path) && Exists(path)) AddOnce(&layouts, path);
    }
  }
  ScanGlobalStyle(where, &scan);
  return scan;
}
