// Line lists: counting, reading, adding, loading, saving, capacity, and the bound view.
#include "LineList.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "Cp1251.h"
#include "Errors.h"
#include "FileAccess.h"
#include "HexUnit.h"
#include "TempDir.h"

namespace {

#ifdef _WIN32
constexpr int DiskFull = 112;  // ERROR_DISK_FULL
#else
constexpr int DiskFull = 28;  // ENOSPC
#endif

std::string Lines(LineList& list) {
    std::string all;
    for (int32_t i = 0; i < list.Count(); ++i) all += "[" + std::string(list.Get(i)) + "]";
    return all;
}

TEST(LineList_, LastLineRuleAndLongLines) {
    LineList list;
    EXPECT_EQ(list.Count(), 0);
    list.SetText("A\r\n");
    EXPECT_EQ(list.Count(), 1);
    list.SetText("A\r\n\r\nC");
    EXPECT_EQ(Lines(list), "[A][][C]");
    list.SetText("lone\nLF and\rCR stay in the line");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Get(5), "");  // beyond the last line
    EXPECT_EQ(list.Get(-1), "");
    list.SetText(std::string(5000, 'x') + "\r\nshort");
    EXPECT_EQ(list.Get(0), std::string(4096, 'x'));
    EXPECT_EQ(list.Get(1), "short");
}

TEST(LineList_, AddFillsAnOpenLineAndStopsAtNul) {
    LineList list;
    EXPECT_EQ(list.Add("first"), 0);
    EXPECT_EQ(list.Add(std::string("abc\0def", 7)), 1);
    EXPECT_EQ(list.Add("next"), 2);  // still a line of its own
    EXPECT_EQ(list.Text(), "first\r\nabc\r\nnext");
    list.SetText("open");  // after a last line without a break, the break goes in front
    EXPECT_EQ(list.Add("next"), 1);
    EXPECT_EQ(list.Text(), "open\r\nnext");
}

TEST(LineList_, CapacityRefusesAndKeepsTheText) {
    LineList list;
    list.SetCapacity(10);
    list.Add("12345");  // 7 characters with the break
    try {
        list.Add("abc");
        ADD_FAILURE() << "no error";
    } catch (const ECapacityError& e) {
        EXPECT_EQ(e.Message, "Text exceeds memo capacity");
    }
    EXPECT_THROW(list.SetText(std::string(11, 'x')), ECapacityError);
    list.SetText("1234567890");
    EXPECT_EQ(list.Text(), "1234567890");
}

class LineListFiles : public ::testing::Test {
  protected:
    void TearDown() override { FileAccess::CurrentIo = {}; }
    TempDir dir;
    LineList list;
};

TEST_F(LineListFiles, LoadNormalisesBreaksAndCutsAtNul) {
    list.LoadFile(dir.Write("mixed.txt", "\n\rx\r\r\ny\r\nz\n\r"));
    EXPECT_EQ(list.Text(), "\r\n\r\nx\r\n\r\ny\r\nz\r\n\r\n");
    list.LoadFile(dir.Write("with-nul.txt", std::string("before\0after\r\nmore", 18)));
    EXPECT_EQ(list.Text(), "before");
    list.SetCapacity(10);
    EXPECT_THROW(list.LoadFile(dir.Write("big.txt", "0123456789AB")), ECapacityError);
    EXPECT_EQ(list.Text(), "before");
}

TEST_F(LineListFiles, FailedLoadsKeepTheTextAndNameTheFile) {
    list.SetText("kept");
    const std::string missing = dir.Path("missing.txt");
    try {
        list.LoadFile(missing);
        ADD_FAILURE() << "no error";
    } catch (const EFileOpenError& e) {
        // The path in full, then the system's own text for the failure.
        const std::string prefix = "Cannot open file \"" + missing + "\". ";
        EXPECT_EQ(e.Message.substr(0, prefix.size()), prefix);
#ifndef _WIN32
        EXPECT_EQ(e.Message, prefix + "No such file or directory");
#endif
    }
    EXPECT_EQ(list.Text(), "kept");
}

TEST_F(LineListFiles, FileNamesReachTheSystemUnchanged) {
    // "??" is what the interface's code page makes of the CJK names: those files stay untouched.
    const std::string other = dir.Write("??.vts", "other file");
    for (const char8_t* name : {u8"скрипт.vts", u8"日本.vts"}) {
        const std::filesystem::path path = dir.Root() / std::filesystem::path(name);
        list.SetText("EQU2 01 'x'\r\n");
        list.SaveFile(path);
        LineList loaded;
        loaded.LoadFile(path);
        EXPECT_EQ(loaded.Get(0), "EQU2 01 'x'");
        HexUnit::LoadImage(path);  // the loader opens its files as the list does
        EXPECT_EQ(HexUnit::ImageSize, 13u);
    }
#ifndef _WIN32  // Windows names cannot hold '?'
    EXPECT_EQ(TempDir::Read(other), "other file");
#endif
    try {  // shown in messages as the code page can: '?' for what it lacks
        list.LoadFile(dir.Root() / std::filesystem::path(u8"нет-日本.vts"));
        ADD_FAILURE() << "no error";
    } catch (const EFileOpenError& e) {
        EXPECT_NE(e.Message.find(Cp1251::FromUtf8("нет-??.vts\". ")), std::string::npos);
    }
}

TEST_F(LineListFiles, SaveWritesTheTextUnchangedAndKeepsPermissions) {
    std::string path = dir.Write("script.vts", "old contents");
    const auto perms = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                       std::filesystem::perms::group_read;
    std::filesystem::permissions(path, perms);
    list.SetText("a\r\nno final break");
    list.SaveFile(path);
    EXPECT_EQ(TempDir::Read(path), "a\r\nno final break");
#ifndef _WIN32  // Windows keeps attributes, not permission bits
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all, perms);
#endif
}

TEST_F(LineListFiles, FailedSavesLeaveTheOldFileAndNoTemporary) {
    std::string path = dir.Write("script.vts", "precious");
    list.SetText("replacement");
    FileAccess::CurrentIo.Write = [](FileAccess::Handle, std::string_view, int& error) {
        error = DiskFull;
        return false;
    };
    try {
        list.SaveFile(path);
        ADD_FAILURE() << "no error";
    } catch (const EFileCreateError& e) {
        std::string prefix = "Cannot create file \"" + path + "\". ";
        EXPECT_EQ(e.Message.substr(0, prefix.size()), prefix);
#ifndef _WIN32
        EXPECT_EQ(e.Message, prefix + SystemErrorText(DiskFull));
#endif
    }
    FileAccess::CurrentIo = {};
    EXPECT_EQ(TempDir::Read(path), "precious");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Root()), {}), 1);

    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_THROW(list.SaveFile(path), EFileCreateError);
    EXPECT_EQ(TempDir::Read(path), "precious");
    EXPECT_THROW(list.SaveFile(dir.Path("missing/x.vts")), EFileCreateError);
    EXPECT_THROW(list.SaveFile(dir.Root().string()), EFileCreateError);
}

// A view that records what the list tells it and can be "typed into".
class RecordingView : public LineListView {
  public:
    void TextReplaced(std::string_view text) override {
        shown = text;
        ++replacements;
    }
    void TextAppended(std::string_view bytes) override { shown += bytes; }
    std::string ReadText() override {
        ++reads;
        return shown;
    }
    std::string shown;
    int replacements = 0;
    int reads = 0;
};

TEST_F(LineListFiles, BoundViewAndListBehaveAsOne) {
    RecordingView view;
    list.Bind(&view);
    list.Add("a");
    list.Add("b");
    EXPECT_EQ(view.shown, "a\r\nb\r\n");

    view.shown = "typed\r\nby user";  // an edit in the view
    list.ViewEdited();
    EXPECT_EQ(Lines(list), "[typed][by user]");
    EXPECT_EQ(view.reads, 1);  // fetched once, not on every read

    int before = view.replacements;
    list.LoadFile(dir.Write("same.txt", "typed\nby user"));  // the same text after normalisation
    EXPECT_EQ(view.replacements, before);
    list.Clear();
    EXPECT_EQ(view.shown, "");
}

}  // namespace
