#include "engine/process/child_pipes.h"

#include <windows.h>

#include <cstdint>
#include <utility>

namespace engine {
namespace {

void CloseIfSet(void*& handle) {
  if (handle) CloseHandle(handle);
  handle = nullptr;
}

// A pipe made without inheritable handles (so that no child started meanwhile takes one);
// then only the end meant for the child is made inheritable.
bool MakePipe(void*& readEnd, void*& writeEnd, bool childReads) {
  HANDLE r = nullptr;
  HANDLE w = nullptr;
  if (!CreatePipe(&r, &w, nullptr, 0)) return false;
  readEnd = r;
  writeEnd = w;
  return SetHandleInformation(childReads ? r : w, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) !=
         FALSE;
}

}  // namespace

std::vector<unsigned char> CrtDescriptorBlock(const std::vector<CrtDescriptor>& descriptors,
                                              size_t handleSize) {
  const uint32_t count = static_cast<uint32_t>(descriptors.size());
  std::vector<unsigned char> block;
  block.reserve(sizeof(int) + count * (1 + handleSize));
  for (size_t i = 0; i < sizeof(int); ++i) block.push_back((count >> (8 * i)) & 0xFF);
  for (const CrtDescriptor& d : descriptors) block.push_back(d.flags);
  for (const CrtDescriptor& d : descriptors) {
    const uint64_t value = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(d.handle));
    for (size_t i = 0; i < handleSize; ++i) block.push_back((value >> (8 * i)) & 0xFF);
  }
  return block;
}

ChildPipes::~ChildPipes() {
  CloseChildEnds();
  CloseIfSet(toChild_);
  CloseIfSet(fromChild_);
}

bool ChildPipes::Create() {
  if (toChild_ || fromChild_) return false;
  return MakePipe(childReads_, toChild_, true) && MakePipe(fromChild_, childWrites_, false);
}

std::vector<unsigned char> ChildPipes::DescriptorBlock() const {
  const CrtDescriptor unset = {INVALID_HANDLE_VALUE, 0};
  return CrtDescriptorBlock({unset,
                             unset,
                             unset,
                             {childReads_, kCrtOpen | kCrtPipe},
                             {childWrites_, kCrtOpen | kCrtPipe}});
}

void ChildPipes::CloseChildEnds() {
  CloseIfSet(childReads_);
  CloseIfSet(childWrites_);
}

void* ChildPipes::TakeToChild() {
  return std::exchange(toChild_, nullptr);
}

void* ChildPipes::TakeFromChild() {
  return std::exchange(fromChild_, nullptr);
}

}  // namespace engine
