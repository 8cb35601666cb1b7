// The programs' version information as Windows reads it from the built files.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Built {
    const char* Path;
    const wchar_t* Name;
};

const Built Programs[] = {{VANTREL_EXE, L"vantrel"}, {VANTREL_CLI_EXE, L"vantrel-cli"}};

std::wstring Wide(const char* ascii) {
    return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii));
}

std::vector<char> VersionInfo(const std::wstring& path) {
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, data.data())) data.clear();
    return data;
}

std::wstring StringValue(std::vector<char>& data, const wchar_t* name) {
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), key.c_str(), &value, &length) || !value) return L"(none)";
    return static_cast<const wchar_t*>(value);
}

TEST(ResourceTest, VersionInformationCarriesTheProjectVersion) {
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(std::sscanf(VANTREL_VERSION, "%u.%u.%u", &major, &minor, &patch), 3);
    const std::wstring version = Wide(VANTREL_VERSION);
    std::wstring descriptions;
    for (const Built& program : Programs) {
        SCOPED_TRACE(program.Path);
        std::vector<char> data = VersionInfo(Wide(program.Path));
        ASSERT_FALSE(data.empty()) << "no version information";

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, (major << 16) | minor);
        EXPECT_EQ(fixed->dwFileVersionLS, patch << 16);
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

        EXPECT_EQ(StringValue(data, L"ProductName"), L"Vantrel");
        EXPECT_EQ(StringValue(data, L"ProductVersion"), version);
        EXPECT_EQ(StringValue(data, L"FileVersion"), version);
        EXPECT_EQ(StringValue(data, L"OriginalFilename"), std::wstring(program.Name) + L".exe");
        const std::wstring description = StringValue(data, L"FileDescription");
        EXPECT_NE(description, L"(none)");
        EXPECT_NE(description, descriptions) << "both programs have the same description";
        descriptions = description;
    }
}

}  // namespace
