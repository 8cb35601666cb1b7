// Saving a script over what is more than a plain file of one's own: another owner, special mode
// bits, names at the folder's limit, links, FIFOs, and what a crashed save left behind.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "Child.h"
#include "Errors.h"
#include "FileAccess.h"
#include "LineList.h"
#include "TempDir.h"

namespace {

class Saving : public ::testing::Test {
  protected:
    void SetUp() override { list.SetText("new text\r\n"); }
    long Entries() const {
        return std::distance(std::filesystem::directory_iterator(dir.Root()), {});
    }
    static mode_t Mode(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    }
    TempDir dir;
    LineList list;
};

TEST_F(Saving, AGroupMembersSaveKeepsTheOwnerGroupAndMode) {
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
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(st.st_gid, Shared);
    EXPECT_EQ(Mode(path), 0664u);
    EXPECT_EQ(TempDir::Read(path), "new text\r\n");
    EXPECT_EQ(Entries(), 1);
}

TEST_F(Saving, SpecialModeBitsAndLongNamesStay) {
    // Group-executable: the case in which a change of owner clears setgid.
    for (mode_t mode : {02755, 04755, 01644}) {
        const std::string path = dir.Write("special.vts", "old text");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        if (Mode(path) != mode) GTEST_SKIP() << "the file system drops the bit";
        list.SaveFile(path);
        EXPECT_EQ(Mode(path), mode) << std::oct << mode;
        std::filesystem::remove(path);
    }
    std::string letters = "n";  // 249 bytes of two-byte letters: a cut must not split one
    for (int i = 0; i < 124; ++i) letters += "\xD0\xB6";
    for (const std::string& name : {std::string(251, 'n') + ".vts", letters + ".vts"}) {
        const std::string path = dir.Write(name, "old text");
        list.SaveFile(path);
        EXPECT_EQ(TempDir::Read(path), "new text\r\n") << name.size();
        std::filesystem::remove(path);
        EXPECT_EQ(Entries(), 0);
    }
}

TEST_F(Saving, ACrashedSaveLeavesOneTemporaryThatTheNextSaveClears) {
    const std::string path = dir.Write("script.vts", "old text");
    for (int crash = 0; crash < 2; ++crash) {
        int status = RunInChild([&] {
            FileAccess::CurrentIo.Write = [](FileAccess::Handle, std::string_view, int&) -> bool {
                ::_exit(42);
            };
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

TEST_F(Saving, LinksThatLeadNowhereAndFifosAreRefusedAndStay) {
    const auto dangling = dir.Root() / "dangling.vts";
    std::filesystem::create_symlink("nowhere.vts", dangling);
    const auto loop = dir.Root() / "loop.vts";
    std::filesystem::create_symlink("round.vts", loop);
    std::filesystem::create_symlink("loop.vts", dir.Root() / "round.vts");
    for (const auto& link : {dangling, loop}) {
        EXPECT_THROW(list.SaveFile(link), EFileCreateError) << link;
        EXPECT_TRUE(std::filesystem::is_symlink(link)) << link;
    }
    EXPECT_EQ(Entries(), 3);

    const std::string fifo = dir.Path("fifo.vts");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    int status = RunInChild(
        [&] {  // at once, not waiting for a reader
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
