#pragma once

#include <cstdint>
#include <string>

namespace ui_test {

// Makes hostile variants of layout texts, reproducibly from a seed: cuts, flipped bits,
// inserted and deleted markup characters, terminators and lone surrogates, very long names
// and values, crowds of attributes and deep nesting.
class XmlMutator {
 public:
  explicit XmlMutator(uint64_t seed) : state_(seed) {}

  // One to three mutations of the sample. *description names them.
  std::wstring Mutate(const std::wstring& sample, std::string* description);

  // The same text as UTF-8 bytes with byte-level damage: cut sequences, stray bytes, a
  // byte-order mark.
  std::string MutateBytes(const std::wstring& text, std::string* description);

  uint32_t Below(uint32_t bound);

 private:
  uint64_t Next();
  void MutateOnce(std::wstring* text, std::string* description);
  size_t PositionIn(const std::wstring& text) { return Below(uint32_t(text.size()) + 1); }
  size_t StartTagNameEnd(const std::wstring& text);

  uint64_t state_;
};

}  // namespace ui_test
