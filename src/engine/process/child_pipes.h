#pragma once

// The two anonymous pipes a Windows browser started with --remote-debugging-pipe talks over:
// it reads commands on its C runtime's descriptor 3 and writes replies and events on
// descriptor 4. The C runtime of a child learns its descriptors from the block its parent
// puts in STARTUPINFO's lpReserved2, so the child's ends travel as inherited handles named
// there; the parent keeps the other ends for the channel.

#include <cstddef>
#include <vector>

namespace engine {

// One descriptor of a child's C runtime: its handle and its C runtime flags.
struct CrtDescriptor {
  void* handle;
  unsigned char flags;
};

constexpr unsigned char kCrtOpen = 0x01;
constexpr unsigned char kCrtPipe = 0x08;

// The lpReserved2 block for descriptors 0..N-1: an int N, N flag bytes, then N handles of
// handleSize bytes each (4 in 32-bit programs, 8 in 64-bit ones), unaligned, little-endian.
std::vector<unsigned char> CrtDescriptorBlock(const std::vector<CrtDescriptor>& descriptors,
                                              size_t handleSize = sizeof(void*));

class ChildPipes {
 public:
  ChildPipes() = default;
  ~ChildPipes();
  ChildPipes(const ChildPipes&) = delete;
  ChildPipes& operator=(const ChildPipes&) = delete;

  // Makes both pipes; only the child's ends are inheritable. False when a pipe cannot be had.
  bool Create();
  // The child's ends, to be inherited, and the block naming them as descriptors 3 and 4
  // (0 to 2 left to the standard handles).
  void* ChildReads() const { return childReads_; }
  void* ChildWrites() const { return childWrites_; }
  std::vector<unsigned char> DescriptorBlock() const;
  // Once the child has started: the parent lets go of the child's ends, so that either
  // side sees the other's end as the end of its pipe.
  void CloseChildEnds();
  // The parent's ends, handed over once (null afterwards): the caller closes them.
  void* TakeToChild();
  void* TakeFromChild();

 private:
  void* childReads_ = nullptr;
  void* childWrites_ = nullptr;
  void* toChild_ = nullptr;
  void* fromChild_ = nullptr;
};

}  // namespace engine
