#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "ui/core/markup/xml_element_table.h"
#include "ui/core/markup/xml_node.h"

namespace ui {

// A layout text parsed in place: the whole text lives in one wide-character buffer, names
// and values are terminated inside it, and every element is a record in one flat table.
// Each load replaces whatever the document held, reusing the memory of the previous text
// and table when they are large enough; a failed load leaves it empty with the
// reason in LastErrorMessage and, where the failure has a place in the text, the text
// from there in LastErrorLocation. Used on the UI thread only.
class XmlDocument {
 public:
  // Files larger than this are refused; exactly this size is accepted.
  static constexpr size_t kMaxFileSize = 4 * 1024 * 1024;
  static constexpr size_t kMaxErrorMessageLength = 99;
  static constexpr size_t kMaxErrorLocationLength = 49;

  // Relative file names are read from the folder this function returns (ending in a
  // separator, or empty): the seam through which the UI registry hands over its resource
  // path when it starts. While no function is installed, relative names resolve against
  // the current folder.
  using ResourceFolderFunction = std::wstring (*)();
  static void SetResourceFolderFunction(ResourceFolderFunction function);

  XmlDocument();
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Parses a copy of the text up to its terminator. A null text is an empty text. A
  // leading byte-order mark is skipped; a reversed one (U+FFFE) fails the load.
  bool LoadFromText(const wchar_t* text);
  // Parses UTF-8 bytes (no terminator expected). A leading byte-order mark is skipped.
  // Bytes whose start shows UTF-16 or UTF-32 (a mark of theirs, or a NUL in the first
  // character) fail with a message naming the encoding; no other encoding is recognised.
  bool LoadFromBytes(const char* bytes, size_t length);
  // Reads a UTF-8 file of at most kMaxFileSize bytes and parses it.
  bool LoadFromFile(const std::wstring& path);

  // The first element; invalid when the document holds none.
  XmlNode GetRoot() const;
  // Number of elements parsed (the root and all others).
  uint32_t ElementCount() const;

  // Both empty after a successful load.
  const wchar_t* LastErrorMessage() const { return lastErrorMessage_; }
  const wchar_t* LastErrorLocation() const { return lastErrorLocation_; }

  // Frees the text and the table, with the memory kept for reloading.
  void Release();

  // Whether runs of blanks after a space in text and values are kept (the default).
  bool PreserveWhitespace() const { return preserveWhitespace_; }
  void SetPreserveWhitespace(bool preserve) { preserveWhitespace_ = preserve; }

  // The parsed buffer, terminator included; for diagnostics.
  const wchar_t* Buffer() const { return text_.get(); }
  size_t BufferSize() const { return textSize_; }

 private:
  friend class XmlNode;

  void Reset();
  bool AllocateText(size_t length);
  bool Parse();
  bool Fail(const wchar_t* message, const wchar_t* location);

  std::unique_ptr<wchar_t[]> text_;
  size_t textSize_ = 0;
  size_t textCapacity_ = 0;
  XmlElementTable table_;
  wchar_t lastErrorMessage_[kMaxErrorMessageLength + 1] = {};
  wchar_t lastErrorLocation_[kMaxErrorLocationLength + 1] = {};
  bool preserveWhitespace_ = true;
};

}  // namespace ui
