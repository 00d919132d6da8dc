#pragma once

#include "tests/support/LibraryBuilder.h"

namespace lorvex::testing {

// The little inventory application shipped as examples/sample.pbl.
LibraryLayout sampleLibrary();

// Deterministic pseudo-random bytes standing in for compiled code and images.
Bytes filler(std::size_t size, std::uint32_t seed);

}  // namespace lorvex::testing
