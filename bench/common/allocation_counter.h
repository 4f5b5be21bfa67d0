#pragma once

namespace bench {

// How many times operator new has run in this program; a benchmark that links
// allocation_counter.cpp counts every allocation of the process.
long long AllocationCount();

}  // namespace bench
