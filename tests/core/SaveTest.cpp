// Saves that must keep what the file had: its owner, its special mode bits, its extended
// attributes and ACL, its other names, and its old text while it is overwritten in place.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include "Errors.h"
#include "FileAccess.h"
#include "LineList.h"
#include "TempDir.h"

namespace {

constexpr uid_t Owner = 4242, Member = 4343;
constexpr gid_t Group = 4242, Root = 0;

// The process acts as `uid` in `group` alone until this goes (effective ids, set by root).
struct ActingAs {
    ActingAs(uid_t uid, gid_t group) {
        EXPECT_EQ(::setgroups(1, &group) | ::setegid(group) | ::seteuid(uid), 0);
    }
    ~ActingAs() { EXPECT_EQ(::seteuid(0) | ::setegid(0) | ::setgroups(1, &Root), 0); }
};

class Save : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "acting as other users needs root";
        std::filesystem::permissions(dir.Root(), std::filesystem::perms::all);
    }
    // A file of `owner` in Group with `mode`, holding `text`.
    std::string File(const char* name, uid_t owner, mode_t mode, std::string_view text = "old") {
        const std::string path = dir.Write(name, text);
        EXPECT_EQ(::chown(path.c_str(), owner, Group) | ::chmod(path.c_str(), mode), 0);
        return path;
    }
    // "OWNER:GROUP MODE", the mode in octal.
    static std::string Kept(const std::string& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        char text[64];
        std::snprintf(text, sizeof text, "%u:%u %o", st.st_uid, st.st_gid, st.st_mode & 07777);
        return text;
    }
    void SaveAs(const std::string& path, std::string text) {
        list.SetText(std::move(text));
        list.SaveFile(path);
    }
    TempDir dir;
    LineList list;
};

TEST_F(Save, OwnerGroupAndSpecialBitsSurviveWhoeverSaves) {
    const std::string file = File("s.vts", Owner, 04755);
    SaveAs(file, "by root");
    EXPECT_EQ(Kept(file), "4242:4242 4755");
    ::chmod(file.c_str(), 06755);
    ActingAs owner(Owner, Group);
    SaveAs(file, "by the owner");
    EXPECT_EQ(Kept(file), "4242:4242 6755");
}

TEST_F(Save, AttributesAclAndOtherNamesSurvive) {
    const std::string file = File("a.vts", 0, 0640);
    // An ACL as the system stores it: owner rw, user Member r, group r, mask r, others none.
    const uint32_t acl[] = {2,   0x60001, ~0u, 0x40002, Member, 0x40004,
                            ~0u, 0x40010, ~0u, 0x20,    ~0u};
    ASSERT_EQ(::setxattr(file.c_str(), "user.origin", "bench 7", 8, 0), 0);
    ASSERT_EQ(::setxattr(file.c_str(), "system.posix_acl_access", acl, sizeof acl, 0), 0);
    SaveAs(file, "new");
    char value[64] = {};
    EXPECT_EQ(::getxattr(file.c_str(), "user.origin", value, sizeof value), 8);
    EXPECT_STREQ(value, "bench 7");
    ::getxattr(file.c_str(), "system.posix_acl_access", value, sizeof value);
    EXPECT_EQ(std::memcmp(value, acl, sizeof acl), 0);

    // A file with two names is saved where it is; the owner's save keeps setuid there too.
    const std::string linked = File("l.vts", Owner, 04755);
    ASSERT_EQ(::link(linked.c_str(), dir.Path("other-name.vts").c_str()), 0);
    ActingAs owner(Owner, Group);
    SaveAs(linked, "seen by both");
    EXPECT_EQ(TempDir::Read(dir.Path("other-name.vts")), "seen by both");
    EXPECT_EQ(Kept(linked), "4242:4242 4755");
}

// The writer of the test below: the new text's write stops half way, by failing or by a kill.
const std::string NewText(3000, 'n');
bool Killed = false;
bool StopsHalfWay(FileAccess::Handle file, std::string_view text, int& error) {
    if (text != NewText) return FileAccess::Write(file, text, error);
    FileAccess::Write(file, text.substr(0, text.size() / 2), error);
    if (Killed) std::raise(SIGKILL);
    error = EIO;
    return false;
}

TEST_F(Save, AGroupMembersSaveInPlaceKeepsTheOldTextUntilTheNewIsWritten) {
    const std::string oldText(2000, 'o');
    const std::string file = File("g.vts", Owner, 0664, oldText);
    const std::string backup = dir.Path(".g.vts.vantrel-save");
    ActingAs member(Member, Group);
    FileAccess::CurrentIo.Write = &StopsHalfWay;
    EXPECT_THROW(SaveAs(file, NewText), EFileCreateError);
    EXPECT_TRUE(TempDir::Read(file) == oldText);  // put back
    EXPECT_FALSE(std::filesystem::exists(backup));

    Killed = true;
    EXPECT_EXIT(SaveAs(file, NewText), ::testing::KilledBySignal(SIGKILL), "");
    Killed = false;
    FileAccess::CurrentIo = {};
    EXPECT_TRUE(TempDir::Read(file) != oldText);
    EXPECT_TRUE(TempDir::Read(backup) == oldText);

    SaveAs(file, NewText);
    EXPECT_TRUE(TempDir::Read(file) == NewText);
    EXPECT_EQ(Kept(file), "4242:4242 664");
    EXPECT_FALSE(std::filesystem::exists(backup));
}

TEST(Save_, ASaveThatAnotherProcessHoldsSaysSo) {
    TempDir dir;
    const std::string file = dir.Write("h.vts", "old");
    int held = ::open(dir.Path(".h.vts.vantrel-save").c_str(), O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    LineList list;
    try {
        list.SaveFile(file);
    } catch (const EFileCreateError& e) {
        EXPECT_TRUE(e.Message.ends_with(". " + file + " is being saved by another process"));
    }
    EXPECT_EQ(TempDir::Read(file), "old");
    ::close(held);
}

}  // namespace
