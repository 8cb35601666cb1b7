// Saving a script over what is more than a plain file of one's own: another owner, special mode
// bits, names at the folder's limit, links, FIFOs, and what a crashed save left behind.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "Child.h"
#include "Errors.h"
#include "LineList.h"
#include "TempDir.h"

namespace {

class Saving : public ::testing::Test {
  protected:
    void SetUp() override { list.SetText("new text\r\n"); }
    void TearDown() override { WriteSaveForTests = nullptr; }

    long Entries() const {
        return std::distance(std::filesystem::directory_iterator(dir.Root()), {});
    }
    static struct stat Stat(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st;
    }

    TempDir dir;
    LineList list;
};

TEST_F(Saving, AGroupMembersSaveKeepsTheOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "only the superuser can set up a file of another owner";
    constexpr uid_t Member = 65534;
    constexpr gid_t Shared = 4242;
    // The member may create files in the folder, so only the owner rules out the new file.
    std::filesystem::permissions(dir.Root(), std::filesystem::perms::all);
    const std::string path = dir.Write("shared.vts", "old text");
    ASSERT_EQ(::chown(path.c_str(), 0, Shared), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0664), 0);

    int status = RunInChild([&] {
        const gid_t groups[] = {Shared};
        if (::setgroups(1, groups) != 0 || ::setgid(Member) != 0 || ::setuid(Member) != 0)
            return 77;
        list.SaveFile(path);
        return 0;
    });
    if (status == 77) GTEST_SKIP() << "this machine does not let the test change its user";
    ASSERT_EQ(status, 0);
    const struct stat st = Stat(path);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(st.st_gid, Shared);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
    EXPECT_EQ(TempDir::Read(path), "new text\r\n");
    EXPECT_EQ(Entries(), 1);
}

TEST_F(Saving, SetuidSetgidAndStickyBitsStay) {
    // Group-executable: the case in which a change of owner clears setgid.
    for (mode_t mode : {02755, 04755, 01644}) {
        const std::string path = dir.Write("special.vts", "old text");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        if ((Stat(path).st_mode & 07777) != mode) GTEST_SKIP() << "the file system drops the bit";
        list.SaveFile(path);
        EXPECT_EQ(Stat(path).st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(TempDir::Read(path), "new text\r\n");
    }
}

TEST_F(Saving, NamesUpToTheFoldersLimitSave) {
    const std::string cyrillic = "\xD0\xB6";  // one letter, two bytes in UTF-8
    for (const std::string& name :
         {std::string(244, 'n') + ".vts", std::string(246, 'n') + ".vts",
          std::string(251, 'n') + ".vts", std::string(1, 'n') + [&] {
              std::string letters;  // 249 bytes: a cut must not split a letter
              for (int i = 0; i < 124; ++i) letters += cyrillic;
              return letters;
          }() + ".vts"}) {
        const std::string path = dir.Write(name, "old text");
        list.SaveFile(path);
        EXPECT_EQ(TempDir::Read(path), "new text\r\n") << name.size();
        std::filesystem::remove(path);
        EXPECT_EQ(Entries(), 0);
    }
}

TEST_F(Saving, ACrashedSaveLeavesOneTemporaryThatTheNextSaveClears) {
    const std::string path = dir.Write("script.vts", "old text");
    for (int crash = 0; crash < 3; ++crash) {
        int status = RunInChild([&] {
            WriteSaveForTests = [](std::string_view, int&) -> bool { ::_exit(42); };
            list.SaveFile(path);
            return 0;
        });
        ASSERT_EQ(status, 42);
        EXPECT_EQ(TempDir::Read(path), "old text");
        EXPECT_LE(Entries(), 2);
    }
    list.SaveFile(path);
    EXPECT_EQ(TempDir::Read(path), "new text\r\n");
    EXPECT_EQ(Entries(), 1);
}

TEST_F(Saving, LinksThatLeadNowhereAreRefusedAndStay) {
    const auto dangling = dir.Root() / "dangling.vts";
    std::filesystem::create_symlink("nowhere.vts", dangling);
    const auto loop = dir.Root() / "loop.vts";
    std::filesystem::create_symlink("round.vts", loop);
    std::filesystem::create_symlink("loop.vts", dir.Root() / "round.vts");
    for (const auto& link : {dangling, loop}) {
        EXPECT_THROW(list.SaveFile(link), EFileCreateError) << link;
        EXPECT_TRUE(std::filesystem::is_symlink(link)) << link;
    }
    EXPECT_FALSE(
        std::filesystem::exists(std::filesystem::symlink_status(dir.Root() / "nowhere.vts")));
    EXPECT_EQ(Entries(), 3);
}

TEST_F(Saving, AFifoIsRefusedAtOnce) {
    const std::string fifo = dir.Path("fifo.vts");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    int status = RunInChild(
        [&] {
            try {
                list.SaveFile(fifo);
            } catch (const EFileCreateError&) {
                return 0;
            }
            return 1;
        },
        5);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

}  // namespace
