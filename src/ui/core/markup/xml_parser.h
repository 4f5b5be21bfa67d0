#pragma once

#include <cstdint>

#include "ui/core/markup/xml_element_table.h"

namespace ui {

// The failure texts of a load, shared by the document and its file reading.
namespace xml_errors {
constexpr const wchar_t* kErrorOpeningFile = L"Error opening file";
constexpr const wchar_t* kFileIsEmpty = L"File is empty";
constexpr const wchar_t* kFileTooLarge = L"File too large";
constexpr const wchar_t* kCouldNotReadFile = L"Could not read file";
constexpr const wchar_t* kExpectedStartTag = L"Expected start tag";
constexpr const wchar_t* kErrorParsingElementName = L"Error parsing element name";
constexpr const wchar_t* kErrorWhileParsingAttributes = L"Error while parsing attributes";
constexpr const wchar_t* kExpectedAttributeValue = L"Expected attribute value";
constexpr const wchar_t* kErrorWhileParsingAttributeString =
    L"Error while parsing attribute string";
constexpr const wchar_t* kExpectedStartTagClosing = L"Expected start-tag closing";
constexpr const wchar_t* kExpectedEndTagStart = L"Expected end-tag start";
constexpr const wchar_t* kUnmatchedClosingTag = L"Unmatched closing tag";
constexpr const wchar_t* kOutOfMemory = L"Out of memory";
// Bytes in an encoding other than UTF-8, and a text whose byte order is reversed.
constexpr const wchar_t* kUtf16LittleEndian =
    L"Unsupported encoding: UTF-16 little-endian (layout files are UTF-8)";
constexpr const wchar_t* kUtf16BigEndian =
    L"Unsupported encoding: UTF-16 big-endian (layout files are UTF-8)";
constexpr const wchar_t* kUtf32LittleEndian =
    L"Unsupported encoding: UTF-32 little-endian (layout files are UTF-8)";
constexpr const wchar_t* kUtf32BigEndian =
    L"Unsupported encoding: UTF-32 big-endian (layout files are UTF-8)";
constexpr const wchar_t* kSwappedByteOrder =
    L"Unsupported encoding: the text's byte order is reversed (its mark reads U+FFFE)";
}  // namespace xml_errors

// Parses one terminated text in place: names and values are terminated and compacted
// inside the text, and every element is appended to the table. The parse never reads
// past the first terminator of the text, so it stays inside the buffer whatever the
// input holds. It keeps no stack of its own: the open elements are the chain of parent
// links in the table, so nesting depth costs nothing but table records.
class XmlParser {
 public:
  XmlParser(wchar_t* text, XmlElementTable* table, bool preserveWhitespace)
      : text_(text), table_(table), preserveWhitespace_(preserveWhitespace) {}

  bool Parse();

  // After a failed parse: one of the texts above, and the position in the text where
  // parsing stopped (null when the failure has no text position).
  const wchar_t* ErrorMessage() const { return errorMessage_; }
  const wchar_t* ErrorPosition() const { return errorPosition_; }

 private:
  // What the main loop does after one element's start tag.
  enum class Step { kFailed, kContinue, kDescend, kDone };

  Step ParseElement(wchar_t** position, uint32_t parent, uint32_t* previous);
  bool ParseAttributes(wchar_t** position, bool* slashAfterName);
  bool ParseEndTag(uint32_t element, wchar_t** position);
  template <wchar_t kStop>
  wchar_t* ParseData(wchar_t*& p);
  wchar_t* CompactData(wchar_t*& p, wchar_t stop);
  uint32_t AppendElement(wchar_t* name, uint32_t parent, uint32_t previous);
  uint32_t Position(const wchar_t* at) const { return static_cast<uint32_t>(at - text_); }
  bool Fail(const wchar_t* message, const wchar_t* position);
  Step Failed(const wchar_t* message, const wchar_t* position);

  wchar_t* const text_;
  XmlElementTable* const table_;
  const bool preserveWhitespace_;
  const wchar_t* errorMessage_ = nullptr;
  const wchar_t* errorPosition_ = nullptr;
};

// Blanks are U+0001 to U+0020.
inline bool IsXmlBlank(wchar_t c) {
  return static_cast<uint32_t>(c) - 1u < 0x20u;
}

inline const wchar_t* SkipXmlBlanks(const wchar_t* p) {
  while (IsXmlBlank(*p)) ++p;
  return p;
}

inline wchar_t* SkipXmlBlanks(wchar_t* p) {
  while (IsXmlBlank(*p)) ++p;
  return p;
}

}  // namespace ui
