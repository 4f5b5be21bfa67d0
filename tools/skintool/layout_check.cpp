#include "layout_check.h"

#include <windows.h>

#include <shlwapi.h>

#include <algorithm>
#include <cwchar>

#include "skin_tool.h"
#include "ui/core/image_attributes/image_attribute.h"
#include "ui/core/markup/xml_document.h"
#include "ui/core/skin/window_builder.h"

namespace {

bool Is(const wchar_t* name, const wchar_t* wanted) {
  return std::wcscmp(name, wanted) == 0;
}

// Names the builder handles itself rather than as a class.
bool IsLayoutElement(const wchar_t* name) {
  return Is(name, L"Font") || Is(name, L"TextColor") || Is(name, L"Class") || Is(name, L"Image") ||
         Is(name, L"Include") || Is(name, L"Event") || Is(name, L"BubbledEvent");
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Resolve(const std::wstring& folder, const std::wstring& file) {
  return ::PathIsRelativeW(file.c_str()) ? folder + file : file;
}

class Checker {
 public:
  Checker(const SkinLocation& where, std::vector<std::wstring>* files)
      : where_(where), files_(files) {}

  // False when the builder would skip the element's subtree.
  bool CheckElement(const ui::XmlNode& element, bool isRoot) {
    const wchar_t* name = element.Name();
    if (!isRoot && !IsLayoutElement(name) && !ui::WindowBuilder::IsKnownClass(name)) {
      Report(L"unknown class \"" + std::wstring(name) + L"\"");
      return false;
    }
    for (int i = 0; i < element.AttributeCount(); ++i) {
      CheckAttribute(name, element.AttributeName(i), element.AttributeValue(i));
    }
    return true;
  }

  std::vector<std::wstring> problems;

 private:
  void CheckAttribute(const wchar_t* element, const std::wstring& name, const std::wstring& value) {
    if (Is(element, L"Include") && name == L"source") {
      CheckLayoutFile(L"missing include file", value);
    } else if (Is(element, L"ChildBox") && name == L"xmlfile") {
      CheckLayoutFile(L"missing child box file", value);
    } else if (EndsWith(name, L"image") && !value.empty()) {
      ui::ImageAttribute image;
      image.SetImageString(value);
      if (image.file.empty()) return;
      const std::wstring path = Resolve(where_.ThemeFolder() + where_.skinFolder, image.file);
      Note(path);
      if (!FileExists(path)) Report(L"missing image \"" + image.file + L"\"");
    }
  }

  void CheckLayoutFile(const std::wstring& problem, const std::wstring& file) {
    const std::wstring path = Resolve(where_.ThemeFolder(), file);
    Note(path);
    if (!FileExists(path)) Report(problem + L" \"" + file + L"\"");
  }

  void Note(const std::wstring& path) {
    if (files_ && std::find(files_->begin(), files_->end(), path) == files_->end()) {
      files_->push_back(path);
    }
  }

  void Report(const std::wstring& problem) {
    if (std::find(problems.begin(), problems.end(), problem) == problems.end()) {
      problems.push_back(problem);
    }
  }

  const SkinLocation& where_;
  std::vector<std::wstring>* files_;
};

}  // namespace

std::wstring LoadFailureLine(const std::wstring& file, const ui::XmlDocument& document) {
  std::wstring line = file + L": FAIL, " + document.LastErrorMessage();
  if (*document.LastErrorLocation() != 0) {
    line += L", at \"" + SkinTool::Escape(document.LastErrorLocation()) + L"\"";
  }
  return line;
}

std::vector<std::wstring> CheckLayout(const ui::XmlDocument& document, const SkinLocation& where,
                                      std::vector<std::wstring>* files) {
  Checker checker(where, files);
  // Walks the links without recursion, as the dump does.
  ui::XmlNode node = document.GetRoot();
  const ui::XmlNode root = node;
  while (node.IsValid()) {
    const bool descend = checker.CheckElement(node, node.Index() == root.Index());
    if (descend && node.HasChildren()) {
      node = node.FirstChild();
      continue;
    }
    while (node.IsValid() && !node.NextSibling().IsValid()) node = node.Parent();
    if (node.IsValid()) node = node.NextSibling();
  }
  return checker.problems;
}
