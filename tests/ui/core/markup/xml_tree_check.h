#pragma once

#include <string>

namespace ui {
class XmlDocument;
}

namespace ui_test {

// After a successful load: every element is reached once in document order through the
// links, parents and siblings agree, and every name, text, attribute name and value lies
// inside the buffer and is terminated there; lookups by name find the first attribute of
// that name. Returns what is wrong, or an empty string.
std::string CheckLoadedTree(const ui::XmlDocument& document);

// After a failed load: the message is one of the parser's, the location is short, and
// the document is empty. Returns what is wrong, or an empty string.
std::string CheckFailedLoad(const ui::XmlDocument& document);

}  // namespace ui_test
