#pragma once

#include <windows.h>

#include <cstddef>

namespace test_memory {

// A process's committed private memory, summed over its address space (Wine leaves the
// process memory counters at 0). Another process's handle needs PROCESS_QUERY_INFORMATION.
inline size_t CommittedPrivateBytes(HANDLE process = GetCurrentProcess()) {
  size_t total = 0;
  MEMORY_BASIC_INFORMATION region = {};
  const char* address = nullptr;
  while (VirtualQueryEx(process, address, &region, sizeof(region)) == sizeof(region)) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return total;
}

}  // namespace test_memory
