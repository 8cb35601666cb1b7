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

    Platform::Desktop& platform() { return probe->platform(); }
    // A sizeable tool window with no caption buttons.
    std::unique_ptr<Platform::Window> NewWindow(const std::string& caption);

    struct ShownText;
    struct ShownRows;

    std::unique_ptr<BackendProbe> probe;
};
