#include "ui/core/markup/xml_parser.h"

#include <cwchar>
#include <cwctype>

namespace ui {

namespace {

using namespace xml_errors;

struct AsciiNameTable {
  bool isName[128] = {};
  constexpr AsciiNameTable() {
    for (int c = '0'; c <= '9'; ++c) isName[c] = true;
    for (int c = 'A'; c <= 'Z'; ++c) isName[c] = true;
    for (int c = 'a'; c <= 'z'; ++c) isName[c] = true;
    isName[static_cast<int>('_')] = true;
    isName[static_cast<int>(':')] = true;
  }
};

constexpr AsciiNameTable kAsciiNames;

// "_", ":" and whatever the platform calls alphanumeric; "-" and "." are not name
// characters.
inline bool IsNameChar(wchar_t c) {
  const auto code = static_cast<uint32_t>(c);
  if (code < 128) return kAsciiNames.isName[code];
  return std::iswalnum(static_cast<wint_t>(c)) != 0;
}

inline wchar_t* SkipName(wchar_t* p) {
  while (IsNameChar(*p)) ++p;
  return p;
}

// Skips a comment or processing instruction starting at its "!" or "?". A comment ends at
// the first "->"; without one the rest of the text is swallowed.
wchar_t* SkipMarkup(wchar_t* p) {
  const wchar_t closing = *p == L'!' ? L'-' : L'?';
  while (*p != 0 && !(p[0] == closing && p[1] == L'>')) ++p;
  return *p != 0 ? p + 2 : p;
}

// Decodes the reference after an "&" (p is past it) into *write. Unknown references keep
// their ampersand and leave p where it is. Comparisons stop at the first difference, so a
// terminator inside a reference is never stepped over.
inline void DecodeReference(wchar_t** position, wchar_t** write) {
  const wchar_t* p = *position;
  wchar_t decoded = L'&';
  int length = 0;
  if (p[0] == L'a' && p[1] == L'm' && p[2] == L'p' && p[3] == L';') {
    length = 4;
  } else if (p[0] == L'l' && p[1] == L't' && p[2] == L';') {
    decoded = L'<', length = 3;
  } else if (p[0] == L'g' && p[1] == L't' && p[2] == L';') {
    decoded = L'>', length = 3;
  } else if (p[0] == L'q' && p[1] == L'u' && p[2] == L'o' && p[3] == L't' && p[4] == L';') {
    decoded = L'"', length = 5;
  } else if (p[0] == L'a' && p[1] == L'p' && p[2] == L'o' && p[3] == L's' && p[4] == L';') {
    decoded = L'\'', length = 5;
  }
  *(*write)++ = decoded;
  *position += length;
}

}  // namespace

bool XmlParser::Parse() {
  errorMessage_ = nullptr;
  errorPosition_ = nullptr;
  if (!table_->Reset()) return Fail(kOutOfMemory, nullptr);
  wchar_t* p = SkipXmlBlanks(text_);
  uint32_t parent = 0;    // the innermost open element, 0 at the top level
  uint32_t previous = 0;  // the last element seen at the current level
  for (;;) {
    // The end of the text is accepted at the top level and among the root's children;
    // elements still open there stay unclosed.
    if (*p == 0 && parent <= 1) return true;
    p = SkipXmlBlanks(p);
    if (*p != L'<') return Fail(kExpectedStartTag, p);
    if (p[1] == L'/') {
      // A stray end tag at the top level ends the text; the rest is ignored.
      if (parent == 0) return true;
      if (!ParseEndTag(parent, &p)) return false;
      previous = parent;
      parent = (*table_)[parent].parent;
    } else {
      *p++ = 0;  // ends the text of whatever came before
      p = SkipXmlBlanks(p);
      if (*p == L'!' || *p == L'?') {
        p = SkipMarkup(p);
      } else {
        switch (ParseElement(&p, parent, &previous)) {
          case Step::kFailed:
            return false;
          case Step::kDone:
            return true;
          case Step::kDescend:
            parent = previous;
            previous = 0;
            break;
          case Step::kContinue:
            break;
        }
      }
    }
    p = SkipXmlBlanks(p);
  }
}

// From the element name to the end of its start tag, its text, and its end tag when no
// child comes first.
XmlParser::Step XmlParser::ParseElement(wchar_t** position, uint32_t parent, uint32_t* previous) {
  wchar_t* p = *position;
  const uint32_t element = AppendElement(p, parent, *previous);
  if (element == 0) return Failed(kOutOfMemory, nullptr);
  *previous = element;
  wchar_t* const nameEnd = SkipName(p);
  p = nameEnd;
  if (*p == 0) return Failed(kErrorParsingElementName, nullptr);
  bool slashAfterName = false;
  if (!ParseAttributes(&p, &slashAfterName)) return Step::kFailed;
  p = SkipXmlBlanks(p);
  XmlElementRecord& record = (*table_)[element];
  if (p[0] == L'/' && p[1] == L'>') {
    record.textPosition = Position(p);
    *p = 0;
    *nameEnd = 0;
    *position = p + 2;
    return Step::kContinue;
  }
  if (*p != L'>') return Failed(kExpectedStartTagClosing, p);
  if (slashAfterName) {
    // "<name/>": the "/" went as the character after the name; the tag is empty all the
    // same.
    record.textPosition = Position(p);
    *p = 0;
    *position = p + 1;
    return Step::kContinue;
  }
  ++p;
  *nameEnd = 0;  // may be the ">" just passed
  record.textPosition = Position(p);
  wchar_t* const textEnd = ParseData<L'<'>(p);
  // The text is only what precedes the first child. Ending it now leaves the same
  // buffer as ending it at the end tag, and also ends it when the text is cut off.
  if (textEnd < p) *textEnd = 0;
  if (*p == 0) {
    if (parent <= 1) return Step::kDone;
    return Failed(kExpectedEndTagStart, nullptr);
  }
  *position = p;
  if (p[1] != L'/') return Step::kDescend;
  if (!ParseEndTag(element, position)) return Step::kFailed;
  return Step::kContinue;
}

bool XmlParser::ParseAttributes(wchar_t** position, bool* slashAfterName) {
  wchar_t* p = *position;
  if (*p == L'>') return true;
  // The character right after the name is consumed whatever it is.
  *slashAfterName = *p == L'/';
  *p++ = 0;
  p = SkipXmlBlanks(p);
  while (*p != 0 && *p != L'>' && *p != L'/') {
    wchar_t* const nameEnd = SkipName(p);
    p = SkipXmlBlanks(nameEnd);
    if (*p != L'=') return Fail(kErrorWhileParsingAttributes, p);
    *p = L' ';
    *nameEnd = 0;
    p = SkipXmlBlanks(p + 1);
    if (*p != L'"') return Fail(kExpectedAttributeValue, *p != 0 ? p + 1 : nullptr);
    ++p;
    wchar_t* const valueEnd = ParseData<L'"'>(p);
    if (*p == 0) return Fail(kErrorWhileParsingAttributeString, nullptr);
    *valueEnd = 0;
    if (valueEnd != p) *p = L' ';
    p = SkipXmlBlanks(p + 1);
  }
  *position = p;
  return true;
}

// At "</" of the given open element: checks the name and steps past the ">".
bool XmlParser::ParseEndTag(uint32_t element, wchar_t** position) {
  wchar_t* p = *position;
  *p = 0;
  p = SkipXmlBlanks(p + 2);
  const wchar_t* name = text_ + (*table_)[element].namePosition;
  wchar_t* const nameStart = p;
  // The name is terminated, so the comparison stops at a difference or at its end.
  while (*name != 0 && *name == *p) ++name, ++p;
  if (*name != 0) return Fail(kUnmatchedClosingTag, nameStart);
  p = SkipXmlBlanks(p);
  if (*p != L'>') return Fail(kUnmatchedClosingTag, *p != 0 ? p + 1 : nullptr);
  *position = p + 1;
  return true;
}

// Reads text or a value up to the stop character, decoding references in place. Returns
// the end of the written characters, where the caller puts the terminator; positions
// freed by compaction become blanks. Most text needs no compaction, so the scan only
// hands over to CompactData at the first character that would change it.
template <wchar_t kStop>
inline wchar_t* XmlParser::ParseData(wchar_t*& p) {
  // Every character that ends or changes the scan is at most the stop character or "&",
  // so one comparison passes nearly all others.
  constexpr wchar_t kHighestSpecial = kStop > L'&' ? kStop : L'&';
  for (;;) {
    const wchar_t c = *p;
    if (c > kHighestSpecial) {
      ++p;
      continue;
    }
    if (c == kStop || c == 0) return p;
    if (c == L'&' || (c == L' ' && !preserveWhitespace_)) return CompactData(p, kStop);
    ++p;
  }
}

wchar_t* XmlParser::CompactData(wchar_t*& p, wchar_t stop) {
  wchar_t* write = p;
  while (*p != 0 && *p != stop) {
    if (*p == L'&') {
      while (*p == L'&') {
        ++p;
        DecodeReference(&p, &write);
      }
      if (*p == stop || *p == 0) break;
    }
    const bool space = *p == L' ';
    *write++ = *p++;
    if (space && !preserveWhitespace_) p = SkipXmlBlanks(p);
  }
  for (wchar_t* blank = write + 1; blank < p; ++blank) *blank = L' ';
  return write;
}

uint32_t XmlParser::AppendElement(wchar_t* name, uint32_t parent, uint32_t previous) {
  const uint32_t element = table_->Append();
  if (element == 0) return 0;
  XmlElementRecord& record = (*table_)[element];
  record.namePosition = Position(name);
  record.parent = parent;
  if (previous != 0) {
    (*table_)[previous].nextSibling = element;
  } else if (parent != 0) {
    (*table_)[parent].firstChild = element;
  }
  return element;
}

bool XmlParser::Fail(const wchar_t* message, const wchar_t* position) {
  errorMessage_ = message;
  errorPosition_ = position;
  return false;
}

XmlParser::Step XmlParser::Failed(const wchar_t* message, const wchar_t* position) {
  Fail(message, position);
  return Step::kFailed;
}

}  // namespace ui
