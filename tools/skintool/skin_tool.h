#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ui {
class XmlDocument;
class XmlNode;
}  // namespace ui

// The skin designers' command-line tool. It loads layout files exactly as the framework
// does and reports what the parser makes of them:
//   skintool check FILE...  one line per file: OK with the element count, or FAIL with the
//                           parser's message and the text where it stopped, or with
//                           "no root element" for a file that holds no element at all
//   skintool dump FILE      the element tree, one element a line, indented by depth
// Exit status: 0 when every file loaded, 1 when one did not, 2 for a usage error.
class SkinTool {
 public:
  using LineWriter = std::function<void(const std::wstring& line)>;

  // Results go to `out`, usage help to `err`.
  SkinTool(LineWriter out, LineWriter err);

  // The arguments after the program name.
  int Run(const std::vector<std::wstring>& arguments);

  // Control characters, backslashes and double quotes written as C escapes, so that a
  // value always fits on its line and between its quotes.
  static std::wstring Escape(const std::wstring& text);

 private:
  int Check(const std::vector<std::wstring>& files);
  // Loads the file and writes its failure line when it does not load or has no element.
  bool Load(const std::wstring& file, ui::XmlDocument* document);
  int Dump(const std::wstring& file);
  void DumpElement(const ui::XmlNode& node, int depth);
  int Usage(int status);

  LineWriter out_;
  LineWriter err_;
};
