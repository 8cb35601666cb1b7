// The programs' version information as Windows reads it from the built files.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ResourceTest, VersionInformationCarriesTheProjectVersion) {
    for (const char* program : {VANTREL_EXE, VANTREL_CLI_EXE}) {
        std::vector<char> data(GetFileVersionInfoSizeA(program, nullptr));
        ASSERT_TRUE(GetFileVersionInfoA(program, 0, data.size(), data.data())) << program;
        char* version = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904B0\\ProductVersion",
                                   reinterpret_cast<void**>(&version), &length));
        EXPECT_STREQ(version, VANTREL_VERSION) << program;
    }
}

}  // namespace
