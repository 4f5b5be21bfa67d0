#pragma once

#include <cstddef>
#include <cstdint>

namespace ui {

// One parsed element. Positions count characters from the start of the document's text
// buffer; links are indices into the element table, 0 meaning none.
struct XmlElementRecord {
  uint32_t namePosition;
  uint32_t firstChild;
  uint32_t nextSibling;
  uint32_t parent;
  uint32_t textPosition;
};

// The flat, growable array of element records of one document. Record 0 stands for the
// document itself, so that index 0 can mean "no element" in every link.
class XmlElementTable {
 public:
  XmlElementTable() = default;
  ~XmlElementTable();
  XmlElementTable(const XmlElementTable&) = delete;
  XmlElementTable& operator=(const XmlElementTable&) = delete;

  // Empties the table and reserves the placeholder record 0, keeping the memory of earlier
  // records for the next document. False when memory runs out.
  bool Reset();

  // Appends a zeroed record and returns its index, or 0 when memory runs out.
  uint32_t Append() {
    if (size_ == capacity_ && !Grow()) return 0;
    records_[size_] = XmlElementRecord{};
    return size_++;
  }

  XmlElementRecord& operator[](uint32_t index) { return records_[index]; }
  const XmlElementRecord& operator[](uint32_t index) const { return records_[index]; }

  // Number of records, the placeholder record 0 included.
  uint32_t Size() const { return size_; }
  uint32_t Capacity() const { return capacity_; }

  // Frees the records; the next Append starts a new table.
  void Release();

 private:
  bool Grow();

  XmlElementRecord* records_ = nullptr;
  uint32_t size_ = 0;
  uint32_t capacity_ = 0;
};

}  // namespace ui
