// The platform contract, run on the in-memory backend.
#include "MemoryPlatform.h"
#include "PlatformContract.h"

INSTANTIATE_TEST_SUITE_P(Memory, PlatformContract,
                         ::testing::Values([]() -> std::unique_ptr<BackendProbe> {
                             return std::make_unique<MemoryPlatform>();
                         }));
