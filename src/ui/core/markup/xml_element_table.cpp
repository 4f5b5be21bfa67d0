#include "ui/core/markup/xml_element_table.h"

#include <cstdlib>

namespace ui {

namespace {

constexpr uint32_t kFirstCapacity = 500;
constexpr uint32_t kGrowthStep = 500;

}  // namespace

XmlElementTable::~XmlElementTable() {
  Release();
}

void XmlElementTable::Release() {
  std::free(records_);
  records_ = nullptr;
  size_ = 0;
  capacity_ = 0;
}

bool XmlElementTable::Reset() {
  size_ = 0;
  if (capacity_ == 0 && !Grow()) return false;
  records_[0] = XmlElementRecord{};
  size_ = 1;
  return true;
}

bool XmlElementTable::Grow() {
  // Half again plus a fixed step keeps growth geometric for large files while small
  // layouts fit in the first block.
  const uint64_t wanted =
      capacity_ == 0 ? kFirstCapacity : uint64_t{capacity_} + capacity_ / 2 + kGrowthStep;
  const uint64_t bytes = wanted * sizeof(XmlElementRecord);
  if (wanted > UINT32_MAX || bytes > SIZE_MAX) return false;
  void* grown = std::realloc(records_, static_cast<size_t>(bytes));
  if (grown == nullptr) return false;
  records_ = static_cast<XmlElementRecord*>(grown);
  capacity_ = static_cast<uint32_t>(wanted);
  return true;
}

}  // namespace ui
