#pragma once

// The engine's string: UTF-16 text, converted from and to UTF-8 at the edges.

#include <string>

class CefString {
 public:
  CefString() = default;
  CefString(const std::wstring& text) : text_(text) {}
  CefString(std::wstring&& text) : text_(std::move(text)) {}
  CefString(const wchar_t* text) : text_(text ? text : L"") {}
  // Narrow text is taken as UTF-8.
  CefString(const std::string& utf8) { FromString(utf8); }
  CefString(const char* utf8) { FromString(utf8 ? std::string(utf8) : std::string()); }

  std::wstring ToWString() const { return text_; }
  // UTF-8; unpaired surrogates become U+FFFD.
  std::string ToString() const;
  void FromString(const std::string& utf8);
  void FromWString(const std::wstring& text) { text_ = text; }

  const wchar_t* c_str() const { return text_.c_str(); }
  size_t length() const { return text_.length(); }
  size_t size() const { return text_.size(); }
  bool empty() const { return text_.empty(); }
  void clear() { text_.clear(); }
  int compare(const CefString& other) const { return text_.compare(other.text_); }

  operator std::wstring() const { return text_; }

  friend bool operator==(const CefString& a, const CefString& b) { return a.text_ == b.text_; }
  friend bool operator!=(const CefString& a, const CefString& b) { return a.text_ != b.text_; }
  friend bool operator<(const CefString& a, const CefString& b) { return a.text_ < b.text_; }

 private:
  std::wstring text_;
};
