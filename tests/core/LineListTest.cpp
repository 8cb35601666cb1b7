// Line lists: counting, reading, adding, loading, saving, capacity, and the bound view.
#include "LineList.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "Cp1251.h"
#include "Errors.h"
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

TEST(LineListCount, FollowsTheLastLineRule) {
    LineList list;
    EXPECT_EQ(list.Count(), 0);
    list.SetText("A\r\n");
    EXPECT_EQ(list.Count(), 1);
    list.SetText("A\r\nB");
    EXPECT_EQ(Lines(list), "[A][B]");
    list.SetText("A\r\n\r\nC\r\n");
    EXPECT_EQ(Lines(list), "[A][][C]");
    list.SetText("lone\nLF and\rCR stay in the line");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Get(5), "");  // beyond the last line
    EXPECT_EQ(list.Get(-1), "");
}

TEST(LineListGet, CutsLongLines) {
    LineList list;
    list.SetText(std::string(5000, 'x') + "\r\nshort");
    EXPECT_EQ(list.Get(0), std::string(4096, 'x'));
    EXPECT_EQ(list.Get(1), "short");
}

TEST(LineListAdd, AppendsLinesAsTheViewWould) {
    LineList list;
    EXPECT_EQ(list.Add("first"), 0);
    EXPECT_EQ(list.Text(), "first\r\n");
    EXPECT_EQ(list.Add("two\r\nlines"), 1);
    EXPECT_EQ(list.Text(), "first\r\ntwo\r\nlines\r\n");
    EXPECT_EQ(list.Count(), 3);

    // After a last line without a break, the break goes in front.
    list.SetText("open");
    EXPECT_EQ(list.Add("next"), 1);
    EXPECT_EQ(list.Text(), "open\r\nnext");
    EXPECT_EQ(Lines(list), "[open][next]");
}

TEST(LineListAdd, StopsAtNul) {
    LineList list;
    list.Add(std::string("abc\0def", 7));
    EXPECT_EQ(list.Text(), "abc");
    list.Add("next");  // still a new line
    EXPECT_EQ(Lines(list), "[abc][next]");
    list.Add(std::string("\0", 1));
    EXPECT_EQ(list.Text(), "abc\r\nnext\r\n");
}

TEST(LineListCapacity, RefusesAndKeepsTheText) {
    LineList list;
    list.SetCapacity(10);
    list.Add("12345");  // 7 characters with the break
    EXPECT_THROW(list.Add("abc"), ECapacityError);
    EXPECT_EQ(list.Text(), "12345\r\n");
    EXPECT_THROW(list.SetText(std::string(11, 'x')), ECapacityError);
    EXPECT_EQ(list.Text(), "12345\r\n");
    try {
        list.Add("toolong");
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message, "Text exceeds memo capacity");
    }

    TempDir dir;
    EXPECT_THROW(list.LoadFile(dir.Write("big.txt", "0123456789AB")), ECapacityError);
    EXPECT_EQ(list.Text(), "12345\r\n");
}

class LineListFiles : public ::testing::Test {
  protected:
    TempDir dir;
    LineList list;
};

TEST_F(LineListFiles, LoadNormalisesBreaksAndCutsAtNul) {
    list.LoadFile(dir.Write("mixed.txt", "a\nb\rc\r\nd"));
    EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(Lines(list), "[a][b][c][d]");

    list.LoadFile(dir.Write("final.txt", "one\r\n\r\ntwo\n"));
    EXPECT_EQ(Lines(list), "[one][][two]");

    list.LoadFile(dir.Write("with-nul.txt", std::string("before\0after\r\nmore", 18)));
    EXPECT_EQ(list.Text(), "before");

    list.LoadFile(dir.Write("cr-cr-lf.txt", "a\r\r\nb"));
    EXPECT_EQ(Lines(list), "[a][][b]");

    list.LoadFile(dir.Write("edges.txt", "\n\rx\r\n\r"));
    EXPECT_EQ(list.Text(), "\r\n\r\nx\r\n\r\n");

    std::string big;  // long stretches between breaks, as real scripts have
    for (int i = 0; i < 20000; ++i)
        big += "SET2E 01 " + std::to_string(i) + (i % 3 ? "\n" : "\r\n");
    list.LoadFile(dir.Write("big.txt", big));
    ASSERT_EQ(list.Count(), 20000);
    EXPECT_EQ(list.Get(19999), "SET2E 01 19999");
}

TEST_F(LineListFiles, LoadOfMissingFileKeepsTheText) {
    list.SetText("kept");
    std::string missing = dir.Path("missing.txt");
    try {
        list.LoadFile(missing);
        ADD_FAILURE() << "no error";
    } catch (const EFileOpenError& e) {
        // The path in full, then the system's own text for the failure.
        std::string prefix = "Cannot open file \"" + missing + "\". ";
        EXPECT_EQ(e.Message.substr(0, prefix.size()), prefix);
        EXPECT_GT(e.Message.size(), prefix.size());
#ifndef _WIN32
        EXPECT_EQ(e.Message, prefix + "No such file or directory");
#endif
    }
    EXPECT_EQ(list.Text(), "kept");
}

TEST_F(LineListFiles, SaveWritesTheTextUnchangedAndKeepsPermissions) {
    std::string path = dir.Write("script.vts", "old contents");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    list.LoadFile(dir.Write("lf.txt", "SET2E 01 0010\nEQU2 01 'x'\n"));
    list.SaveFile(path);
    EXPECT_EQ(TempDir::Read(path), "SET2E 01 0010\r\nEQU2 01 'x'\r\n");
#ifndef _WIN32  // Windows keeps attributes, not permission bits
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
#endif

    list.SetText("no final break");
    list.SaveFile(dir.Path("new.vts"));
    EXPECT_EQ(TempDir::Read(dir.Path("new.vts")), "no final break");
}

TEST_F(LineListFiles, FileNamesReachTheSystemUnchanged) {
    // "??.vts" is what the interface's code page makes of the second name: it stays untouched.
    const std::string other = dir.Write("??.vts", "other file");
    for (const char8_t* name : {u8"скрипт.vts", u8"日本.vts", u8"Prüfung.vts"}) {
        const std::filesystem::path path = dir.Root() / std::filesystem::path(name);
        list.SetText("EQU2 01 'x'\r\n");
        list.SaveFile(path);
        EXPECT_EQ(TempDir::Read(path), "EQU2 01 'x'\r\n");
        LineList loaded;
        loaded.LoadFile(path);
        EXPECT_EQ(loaded.Get(0), "EQU2 01 'x'");
    }
#ifndef _WIN32  // Windows names cannot hold '?'
    EXPECT_EQ(TempDir::Read(other), "other file");
#endif
    try {  // shown in messages as the code page can: '?' for what it lacks
        list.LoadFile(dir.Root() / std::filesystem::path(u8"нет-日本.vts"));
        ADD_FAILURE() << "no error";
    } catch (const EFileOpenError& e) {
        const std::string shown = Cp1251::FromUtf8("нет-??.vts\". ");
        EXPECT_NE(e.Message.find(shown), std::string::npos) << e.Message;
    }
}

TEST_F(LineListFiles, ScriptsOfTwoGibibytesAreRefused) {
    const std::string huge = dir.Write("huge.vts", "");
    std::filesystem::resize_file(huge, 0x80000000);  // sparse: nothing is written
    list.SetText("kept");
    try {
        list.LoadFile(huge);
        ADD_FAILURE() << "no error";
    } catch (const EFileOpenError& e) {
#ifndef _WIN32
        EXPECT_EQ(e.Message, "Cannot open file \"" + huge + "\". File too large");
#endif
    }
    EXPECT_EQ(list.Text(), "kept");
}

TEST_F(LineListFiles, FailedSaveLeavesTheOldFileAndNoTemporary) {
    std::string path = dir.Write("script.vts", "precious");
    list.SetText("replacement");
    WriteSaveForTests = [](std::string_view, int& error) {
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
    WriteSaveForTests = nullptr;
    EXPECT_EQ(TempDir::Read(path), "precious");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Root()), {}), 1);
}

TEST_F(LineListFiles, SaveRefusesReadOnlyFilesAndMissingFolders) {
    std::string path = dir.Write("ro.vts", "read only");
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    list.SetText("new");
    EXPECT_THROW(list.SaveFile(path), EFileCreateError);
    EXPECT_EQ(TempDir::Read(path), "read only");

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
    list.Add("PTR 0002 'x'");
    list.Add("a");
    list.Add("b");
    EXPECT_EQ(view.shown, "PTR 0002 'x'\r\na\r\nb\r\n");

    view.shown = "typed\r\nby user";  // an edit in the view
    list.ViewEdited();
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get(1), "by user");
    EXPECT_EQ(list.Get(0), "typed");
    EXPECT_EQ(view.reads, 1);  // fetched once, not on every read

    std::string file = dir.Write("same.txt", "typed\nby user");
    int before = view.replacements;
    list.LoadFile(file);  // the same text after normalisation: nothing changes
    EXPECT_EQ(view.replacements, before);

    list.Clear();
    EXPECT_EQ(view.shown, "");
    EXPECT_EQ(list.Count(), 0);
}

}  // namespace
