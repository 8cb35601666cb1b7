// The platform contract, run on the Qt backend.
#include "PlatformContract.h"
#include "QtProbe.h"

INSTANTIATE_TEST_SUITE_P(Qt, PlatformContract,
                         ::testing::Values([] { return std::make_unique<QtProbe>(); }));
