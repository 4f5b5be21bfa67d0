#pragma once

#include <cstddef>
#include <cstdint>

namespace ui {

class XmlDocument;

// One element of a parsed document. A cheap value that refers into its document: it must
// not be used after the document is reloaded, released or destroyed. The strings it
// returns live in the document's buffer under the same rule.
//
// Attributes are found on first use by scanning the element's part of the buffer; only
// the first kMaxAttributes are visible.
class XmlNode {
 public:
  static constexpr int kMaxAttributes = 64;
  // FindAttribute copies at most this many characters; its buffer holds one more.
  static constexpr size_t kMaxValueLength = 499;
  static constexpr size_t kValueBufferSize = kMaxValueLength + 1;

  XmlNode() = default;

  bool IsValid() const { return document_ != nullptr; }

  // Index of the element in document order, from 1; 0 for an invalid node.
  uint32_t Index() const { return element_; }

  // Empty for an invalid node.
  const wchar_t* Name() const;
  // The text before the element's first child; empty for an empty-element tag.
  const wchar_t* Text() const;

  XmlNode Parent() const;
  XmlNode FirstChild() const;
  XmlNode NextSibling() const;
  bool HasChildren() const;

  int AttributeCount() const;
  // Empty strings for an index outside 0..AttributeCount()-1.
  const wchar_t* AttributeName(int index) const;
  const wchar_t* AttributeValue(int index) const;

  // Finds the first attribute whose name equals the given one exactly (case-sensitive)
  // and copies its value, cut to kMaxValueLength characters and terminated, into the
  // buffer, which holds bufferSize characters (normally kValueBufferSize). False for an
  // invalid node or when no attribute has that name.
  bool FindAttribute(const wchar_t* name, wchar_t* buffer,
                     size_t bufferSize = kValueBufferSize) const;
  bool HasAttribute(const wchar_t* name) const;

 private:
  friend class XmlDocument;

  XmlNode(const XmlDocument* document, uint32_t element);
  XmlNode Linked(uint32_t element) const;
  void MapAttributes() const;
  int FindAttributeIndex(const wchar_t* name) const;

  const XmlDocument* document_ = nullptr;
  uint32_t element_ = 0;
  // Filled by the first attribute query.
  mutable bool mapped_ = false;
  mutable int attributeCount_ = 0;
  mutable uint32_t names_[kMaxAttributes] = {};
  mutable uint32_t values_[kMaxAttributes] = {};
};

}  // namespace ui
