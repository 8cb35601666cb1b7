// Line lists: counting, reading, adding, capacity, loading and saving.
#include "LineList.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

#include "Errors.h"
#include "FileAccess.h"
#include "TempDir.h"

namespace {

std::string Lines(LineList& list) {
    std::string all;
    for (int32_t i = 0; i < list.Count(); ++i) all.append("[").append(list.Get(i)).append("]");
    return all;
}

// The message of the error that `action` raises.
std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.Message;
    }
    return "no error";
}

TEST(LineList_, LastLineRuleAndLongLines) {
    LineList list;
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"A\r\n", "[A]"},
        {"A\r\n\r\nC", "[A][][C]"},
        {"lone\nLF and\rCR", "[lone\nLF and\rCR]"},
        {std::string(5000, 'x') + "\r\nshort", "[" + std::string(4096, 'x') + "][short]"},
    };
    for (const auto& [text, lines] : cases) {
        list.SetText(text);
        EXPECT_EQ(Lines(list), lines) << text.substr(0, 20);
    }
}

TEST(LineList_, AddFillsAnOpenLineStopsAtNulAndKeepsToTheCapacity) {
    LineList list;
    EXPECT_EQ(list.Add("first"), 0);
    // After a last line without a break, the break goes in front.
    EXPECT_EQ(list.Add(std::string("abc\0def", 7)), 1);
    EXPECT_EQ(list.Add("next"), 2);
    EXPECT_EQ(list.Text(), "first\r\nabc\r\nnext");

    list.SetText("");
    list.SetCapacity(10);
    list.Add("12345");  // 7 characters with the break
    EXPECT_EQ(MessageOf([&] { list.Add("abc"); }), "Text exceeds memo capacity");
    EXPECT_THROW(list.SetText(std::string(11, 'x')), ECapacityError);
    list.SetText("1234567890");
    EXPECT_EQ(list.Text(), "1234567890");
}

TEST(LineListFiles, LoadNormalisesBreaksCutsAtNulAndKeepsTheTextOnFailure) {
    TempDir dir;
    LineList list;
    list.LoadFile(dir.Write("mixed.txt", "\n\rx\r\r\ny\r\nz\n\r"));
    EXPECT_EQ(list.Text(), "\r\n\r\nx\r\n\r\ny\r\nz\r\n\r\n");
    list.LoadFile(dir.Write("with-nul.txt", std::string("before\0after\r\nmore", 18)));
    EXPECT_EQ(list.Text(), "before");
    // The path in full, then the system's own text for the failure.
    const std::string missing = dir.Path("missing.txt");
    const std::string message = MessageOf([&] { list.LoadFile(missing); });
    EXPECT_TRUE(message.starts_with("Cannot open file \"" + missing + "\". "));
#ifndef _WIN32
    EXPECT_EQ(message, "Cannot open file \"" + missing + "\". " + std::strerror(ENOENT));
#endif
    EXPECT_EQ(list.Text(), "before");
}

TEST(LineListFiles, SaveUnderAnyNameKeepsPermissionsOrLeavesTheOldFile) {
    TempDir dir;
    LineList list;
    // Cyrillic and CJK: the name reaches the system unchanged.
    const std::filesystem::path path = dir.Root() / std::filesystem::path(u8"скрипт-日本.vts");
    list.SetText("old contents");
    list.SaveFile(path);
    const auto perms = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                       std::filesystem::perms::group_read;
    std::filesystem::permissions(path, perms);
    list.SetText("a\r\nno final break");
    list.SaveFile(path);
    EXPECT_EQ(TempDir::Read(path), "a\r\nno final break");
#ifndef _WIN32  // Windows keeps attributes, not permission bits
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all, perms);
#endif

    list.SetText("replacement");
    FileAccess::CurrentIo.Write = [](FileAccess::Handle, std::string_view, int& error) {
        error = 5;
        return false;
    };
    EXPECT_EQ(MessageOf([&] { list.SaveFile(path); }).rfind("Cannot create file \"", 0), 0u);
    FileAccess::CurrentIo = {};
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Root()), {}), 1);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_THROW(list.SaveFile(path), EFileCreateError);
    EXPECT_EQ(TempDir::Read(path), "a\r\nno final break");
}

TEST(LineListFiles, SaveKeepsLfAloneAndWritesCrLfOtherwise) {
    TempDir dir;
    for (const auto& [loaded, saved] : {std::pair<std::string, std::string>{"a\nb\n", "a\nb\n"},
                                        {"a\r\nb", "a\r\nb"},
                                        {"a\nb\r\n", "a\r\nb\r\n"}}) {
        LineList list;
        list.LoadFile(dir.Write("s.vts", loaded));
        EXPECT_EQ(list.Count(), 2);  // a run reads the same lines
        list.SaveFile(dir.Path("s.vts"));
        EXPECT_EQ(TempDir::Read(dir.Path("s.vts")), saved) << loaded;
    }
}

}  // namespace
