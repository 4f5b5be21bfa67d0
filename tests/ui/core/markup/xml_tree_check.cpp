#include "xml_tree_check.h"

#include <cwchar>

#include "runtime/string_util.h"
#include "ui/core/markup/xml_document.h"

namespace ui_test {

namespace {

using ui::XmlDocument;
using ui::XmlNode;

const wchar_t* const kParserMessages[] = {
    L"Expected start tag",
    L"Error parsing element name",
    L"Error while parsing attributes",
    L"Expected attribute value",
    L"Error while parsing attribute string",
    L"Expected start-tag closing",
    L"Expected end-tag start",
    L"Unmatched closing tag",
    L"Unsupported encoding: UTF-16 little-endian (layout files are UTF-8)",
    L"Unsupported encoding: UTF-16 big-endian (layout files are UTF-8)",
    L"Unsupported encoding: UTF-32 little-endian (layout files are UTF-8)",
    L"Unsupported encoding: UTF-32 big-endian (layout files are UTF-8)",
    L"Unsupported encoding: the text's byte order is reversed (its mark reads U+FFFE)",
};

class TreeChecker {
 public:
  explicit TreeChecker(const XmlDocument& document)
      : document_(document),
        begin_(document.Buffer()),
        end_(document.Buffer() + document.BufferSize()) {}

  std::string Check();

 private:
  bool InBuffer(const wchar_t* text, const char* what, uint32_t element);
  bool CheckNode(const XmlNode& node, uint32_t expectedIndex);
  bool CheckAttributes(const XmlNode& node);
  bool Report(const std::string& problem, uint32_t element);

  const XmlDocument& document_;
  const wchar_t* const begin_;
  const wchar_t* const end_;
  std::string problem_;
};

bool TreeChecker::Report(const std::string& problem, uint32_t element) {
  problem_ = problem + " (element " + std::to_string(element) + ")";
  return false;
}

// The string must start inside the buffer and find its terminator before the end.
bool TreeChecker::InBuffer(const wchar_t* text, const char* what, uint32_t element) {
  if (begin_ == nullptr || text < begin_ || text >= end_) {
    return Report(std::string(what) + " outside the buffer", element);
  }
  for (const wchar_t* p = text; p < end_; ++p) {
    if (*p == 0) return true;
  }
  return Report(std::string(what) + " not terminated inside the buffer", element);
}

bool TreeChecker::CheckAttributes(const XmlNode& node) {
  const int count = node.AttributeCount();
  if (count < 0 || count > XmlNode::kMaxAttributes) return Report("bad count", node.Index());
  if (*node.AttributeName(count) != 0 || *node.AttributeValue(-1) != 0) {
    return Report("attribute outside the range is not empty", node.Index());
  }
  for (int i = 0; i < count; ++i) {
    const wchar_t* name = node.AttributeName(i);
    const wchar_t* value = node.AttributeValue(i);
    if (!InBuffer(name, "attribute name", node.Index()) ||
        !InBuffer(value, "attribute value", node.Index())) {
      return false;
    }
    int first = 0;
    while (std::wcscmp(node.AttributeName(first), name) != 0) ++first;
    wchar_t found[XmlNode::kValueBufferSize];
    if (!node.FindAttribute(name, found) || !node.HasAttribute(name)) {
      return Report("attribute not found by its name", node.Index());
    }
    const std::wstring expected =
        std::wstring(node.AttributeValue(first)).substr(0, XmlNode::kMaxValueLength);
    if (expected != found) return Report("lookup gives another value", node.Index());
  }
  return true;
}

bool TreeChecker::CheckNode(const XmlNode& node, uint32_t expectedIndex) {
  if (node.Index() != expectedIndex) {
    return Report("reached out of document order, expected " + std::to_string(expectedIndex),
                  node.Index());
  }
  if (!InBuffer(node.Name(), "name", node.Index()) ||
      !InBuffer(node.Text(), "text", node.Index())) {
    return false;
  }
  if (node.HasChildren() != node.FirstChild().IsValid()) {
    return Report("HasChildren disagrees with FirstChild", node.Index());
  }
  return CheckAttributes(node);
}

std::string TreeChecker::Check() {
  if (*document_.LastErrorMessage() != 0 || *document_.LastErrorLocation() != 0) {
    return "error texts left after success";
  }
  const uint32_t count = document_.ElementCount();
  if (document_.GetRoot().IsValid() != (count > 0)) return "root disagrees with the count";
  // Pre-order through the links must meet the elements in document order, 1 to count.
  uint32_t visited = 0;
  XmlNode node = document_.GetRoot();
  if (node.Parent().IsValid()) return "root has a parent";
  while (node.IsValid()) {
    if (visited == count) return "more elements reached than parsed";
    if (!CheckNode(node, ++visited)) return problem_;
    if (node.HasChildren()) {
      const XmlNode child = node.FirstChild();
      if (child.Parent().Index() != node.Index()) {
        Report("first child's parent is another element", child.Index());
        return problem_;
      }
      node = child;
      continue;
    }
    while (node.IsValid()) {
      const XmlNode next = node.NextSibling();
      if (next.IsValid()) {
        if (next.Parent().Index() != node.Parent().Index()) {
          Report("sibling has another parent", next.Index());
          return problem_;
        }
        node = next;
        break;
      }
      node = node.Parent();
    }
  }
  if (visited != count) return "only " + std::to_string(visited) + " elements reachable";
  return std::string();
}

}  // namespace

std::string CheckLoadedTree(const XmlDocument& document) {
  return TreeChecker(document).Check();
}

std::string CheckFailedLoad(const XmlDocument& document) {
  const std::wstring message = document.LastErrorMessage();
  bool known = false;
  for (const wchar_t* m : kParserMessages) known = known || message == m;
  if (!known) return "unknown message \"" + kbase::WideToUtf8(message) + "\"";
  if (std::wcslen(document.LastErrorLocation()) > XmlDocument::kMaxErrorLocationLength) {
    return "location too long";
  }
  if (document.GetRoot().IsValid() || document.ElementCount() != 0 ||
      document.Buffer() != nullptr) {
    return "failed load left a document";
  }
  return std::string();
}

}  // namespace ui_test
