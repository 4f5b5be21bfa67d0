#include "ui/core/markup/xml_node.h"

#include <algorithm>
#include <cwchar>

#include "ui/core/markup/xml_document.h"
#include "ui/core/markup/xml_parser.h"

namespace ui {

XmlNode::XmlNode(const XmlDocument* document, uint32_t element)
    : document_(document), element_(element) {}

const wchar_t* XmlNode::Name() const {
  if (document_ == nullptr) return L"";
  return document_->text_.get() + document_->table_[element_].namePosition;
}

const wchar_t* XmlNode::Text() const {
  if (document_ == nullptr) return L"";
  return document_->text_.get() + document_->table_[element_].textPosition;
}

XmlNode XmlNode::Linked(uint32_t element) const {
  return element != 0 ? XmlNode(document_, element) : XmlNode();
}

XmlNode XmlNode::Parent() const {
  return document_ != nullptr ? Linked(document_->table_[element_].parent) : XmlNode();
}

XmlNode XmlNode::FirstChild() const {
  return document_ != nullptr ? Linked(document_->table_[element_].firstChild) : XmlNode();
}

XmlNode XmlNode::NextSibling() const {
  return document_ != nullptr ? Linked(document_->table_[element_].nextSibling) : XmlNode();
}

bool XmlNode::HasChildren() const {
  return document_ != nullptr && document_->table_[element_].firstChild != 0;
}

int XmlNode::AttributeCount() const {
  MapAttributes();
  return attributeCount_;
}

const wchar_t* XmlNode::AttributeName(int index) const {
  MapAttributes();
  if (index < 0 || index >= attributeCount_) return L"";
  return document_->text_.get() + names_[index];
}

const wchar_t* XmlNode::AttributeValue(int index) const {
  MapAttributes();
  if (index < 0 || index >= attributeCount_) return L"";
  return document_->text_.get() + values_[index];
}

bool XmlNode::FindAttribute(const wchar_t* name, wchar_t* buffer, size_t bufferSize) const {
  const int index = FindAttributeIndex(name);
  if (index < 0) return false;
  if (buffer != nullptr && bufferSize > 0) {
    const wchar_t* value = document_->text_.get() + values_[index];
    const size_t limit = std::min(kMaxValueLength, bufferSize - 1);
    size_t length = 0;
    while (length < limit && value[length] != 0) {
      buffer[length] = value[length];
      ++length;
    }
    buffer[length] = 0;
  }
  return true;
}

bool XmlNode::HasAttribute(const wchar_t* name) const {
  return FindAttributeIndex(name) >= 0;
}

int XmlNode::FindAttributeIndex(const wchar_t* name) const {
  if (document_ == nullptr || name == nullptr) return -1;
  MapAttributes();
  const wchar_t* text = document_->text_.get();
  for (int i = 0; i < attributeCount_; ++i) {
    if (std::wcscmp(text + names_[i], name) == 0) return i;
  }
  return -1;
}

// The element's start tag, from the name to the text position, holds terminated names,
// blanks, opening quotes and terminated values. Every step stays before the text
// position, so a malformed stretch can only end the scan early.
void XmlNode::MapAttributes() const {
  if (mapped_ || document_ == nullptr) return;
  mapped_ = true;
  const wchar_t* const text = document_->text_.get();
  const XmlElementRecord& record = document_->table_[element_];
  const wchar_t* const end = text + record.textPosition;
  const wchar_t* p = text + record.namePosition;
  while (p < end && *p != 0) ++p;
  ++p;  // past the name's terminator
  while (p < end && attributeCount_ < kMaxAttributes) {
    while (p < end && IsXmlBlank(*p)) ++p;
    const wchar_t* const name = p;
    while (p < end && *p != 0) ++p;
    if (p >= end) break;
    ++p;
    while (p < end && IsXmlBlank(*p)) ++p;
    if (p >= end || *p != L'"') break;
    ++p;
    names_[attributeCount_] = static_cast<uint32_t>(name - text);
    values_[attributeCount_] = static_cast<uint32_t>(p - text);
    ++attributeCount_;
    while (p < end && *p != 0) ++p;
    ++p;
  }
}

}  // namespace ui
