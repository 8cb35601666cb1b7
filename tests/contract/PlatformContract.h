// Behaviour that every windowing backend must show, written once. A backend's test program links
// vantrel_contract and instantiates the suite:
//   INSTANTIATE_TEST_SUITE_P(Name, PlatformContract, ::testing::Values(factory));
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "BackendProbe.h"

class PlatformContract : public ::testing::TestWithParam<BackendFactory> {
  protected:
    void SetUp() override { probe = GetParam()(); }
    void TearDown() override { probe.reset(); }

    std::unique_ptr<BackendProbe> probe;
};
