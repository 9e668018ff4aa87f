#pragma once

#include <cstddef>
#include <cstdint>

// The entry points of a fuzz target, as libFuzzer calls them; the corpus replay calls them the same way.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzz {

// The code under test logs what it reads; at thousands of inputs a second only warnings are worth it.
void quietLogs();

}  // namespace fuzz
