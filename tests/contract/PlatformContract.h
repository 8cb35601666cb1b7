// Behaviour that every windowing backend must show, written once. A backend's test program links
// vantrel_contract and instantiates the suite:
//   INSTANTIATE_TEST_SUITE_P(Name, PlatformContract, ::testing::Values(factory));
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "BackendProbe.h"

class PlatformContract : public ::testing::TestWithParam<BackendFactory> {
  protected:
    void SetUp() override;
    void TearDown() override;

    Platform::Desktop& platform() { return probe->platform(); }
    // A sizeable tool window with no caption buttons.
    std::unique_ptr<Platform::Window> NewWindow(const std::string& caption, int left = 0,
                                                int top = 0);
    static Platform::TextViewSpec ViewSpec();
    static Platform::LabelSpec LabelSpec();
    // The firmware window's view: 613 by 434 pixels under a 25-pixel header, bottom-anchored.
    static Platform::TextViewSpec RowViewSpec();

    struct ShownRows;

    std::unique_ptr<BackendProbe> probe;
};
