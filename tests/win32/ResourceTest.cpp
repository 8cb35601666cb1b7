// The programs' version information as Windows reads it from the built files.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

TEST(ResourceTest, VersionInformationCarriesTheProjectVersion) {
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(std::sscanf(VANTREL_VERSION, "%u.%u.%u", &major, &minor, &patch), 3);
    for (const char* program : {VANTREL_EXE, VANTREL_CLI_EXE}) {
        SCOPED_TRACE(program);
        std::vector<char> data(GetFileVersionInfoSizeA(program, nullptr));
        ASSERT_FALSE(data.empty()) << "no version information";
        ASSERT_TRUE(GetFileVersionInfoA(program, 0, data.size(), data.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, (major << 16) | minor);
        EXPECT_EQ(fixed->dwFileVersionLS, patch << 16);
        char* version = nullptr;
        ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904B0\\ProductVersion",
                                   reinterpret_cast<void**>(&version), &length));
        EXPECT_STREQ(version, VANTREL_VERSION);
    }
}

}  // namespace
