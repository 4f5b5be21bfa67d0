#pragma once

#include <map>
#include <string>

namespace ui {

// The language table: "id = text" lines of a UTF-8 file; ";" in an id makes a comment.
class LanguageStrings {
 public:
  // Empties the table and reads the file. False when the file cannot be opened.
  bool LoadFromFile(const std::wstring& path);

  // The text of the id with "\r" and "\n" written as backslash sequences turned into real
  // line breaks; empty for an empty or unknown id.
  std::wstring GetString(const std::wstring& id) const;

  bool empty() const { return strings_.empty(); }

 private:
  void AddLine(std::wstring line);

  std::map<std::wstring, std::wstring> strings_;
};

}  // namespace ui
