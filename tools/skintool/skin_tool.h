#pragma once

#include <functional>
#include <string>
#include <vector>

#include "live_view.h"

namespace ui {
class XmlDocument;
class XmlNode;
}  // namespace ui

// The skin designers' command-line tool. It loads layout files exactly as the framework
// does and reports what the parser and the window builder make of them:
//   skintool check FILE...  one line per file: OK with the element count, or FAIL with the
//                           parser's message and the text where it stopped, or with
//                           "no root element" for a file that holds no element at all;
//                           for a file that parses, one FAIL line for each class the
//                           builder does not know and each missing image or layout file
//   skintool dump FILE      the element tree, one element a line, indented by depth
//   skintool render LAYOUT OUT.png [--size WxH]
//                           the window the layout builds, drawn with its alpha into a PNG
//   skintool show LAYOUT [--size WxH]
//                           the window the layout builds, live: built again whenever the
//                           layout or a file it uses is saved, with a bar for what does
//                           not load and, with Ctrl held, for the control under the pointer;
//                           ends with 0 when the window is closed
// check, render and show find the resource folder and theme from the layout's place below a
// folder named "resources"; "--resources DIR" and "--theme NAME" give them instead.
// Exit status: 0 when every file loaded (and built), 1 when one did not, 2 for a usage
// error.
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
  struct Options {
    std::vector<std::wstring> files;
    std::wstring resources;
    std::wstring theme;
    int width = 0;
    int height = 0;
  };
  // False for an option without its value or a size that is not WxH.
  static bool ParseOptions(const std::vector<std::wstring>& arguments, Options* options);

  int Check(const Options& options);
  int Render(const Options& options);
  int Show(const Options& options);
  // One line per event, stamped with the time of day.
  void ReportLiveEvent(const std::wstring& layout, const LiveView::Event& event);
  // Loads the file and writes its failure line when it does not load or has no element.
  bool Load(const std::wstring& file, ui::XmlDocument* document);
  int Dump(const std::wstring& file);
  void DumpElement(const ui::XmlNode& node, int depth);
  int Usage(int status);

  LineWriter out_;
  LineWriter err_;
};
