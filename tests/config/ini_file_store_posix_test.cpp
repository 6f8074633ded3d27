// Writing through the Linux file store: a new file beside the target is
// renamed into place, links are followed, and what cannot be read back whole
// or written faithfully is left alone.
#include "config/ini_store.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace launcher {
namespace {

namespace fs = std::filesystem;
using testing::TestFolder;
using testing::toU16;

IniFileStore storeAt(const fs::path& path) {
    return IniFileStore(WideString(toU16(path)));
}

size_t entriesIn(const fs::path& folder) {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(IniFileStoreWriting, CreatesAMissingFile) {
    TestFolder folder;
    fs::path path = folder.path() / "new.ini";
    EXPECT_TRUE(storeAt(path).setValue(u"Java Runtime Environment", u"JRE Path", u"/opt/jre"));
    EXPECT_EQ(folder.read("new.ini"), "[Java Runtime Environment]\r\nJRE Path=/opt/jre\r\n");
    EXPECT_EQ(entriesIn(folder.path()), 1u);
}

TEST(IniFileStoreWriting, ChangesOneValueAndKeepsEveryOtherByte) {
    TestFolder folder;
    const std::string before = "; comment\r\n# other\n[A]\r\nk = 1\r\n\r\n[B]\rx=2";
    fs::path path = folder.write("keep.ini", before);
    chmod(path.c_str(), 0640);
    ASSERT_TRUE(storeAt(path).setValue(u"a", u"K", u"changed"));
    EXPECT_EQ(folder.read("keep.ini"), "; comment\r\n# other\n[A]\r\nk = changed\r\n\r\n[B]\rx=2");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(entriesIn(folder.path()), 1u);
}

TEST(IniFileStoreWriting, FollowsALinkAndKeepsIt) {
    TestFolder folder;
    fs::path target = folder.write("real/launcher.ini", "[A]\nk=1\n");
    fs::path link = folder.path() / "launcher.ini";
    fs::create_symlink(target, link);
    ASSERT_TRUE(storeAt(link).setValue(u"A", u"k", u"2"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), target);
    EXPECT_EQ(folder.read("real/launcher.ini"), "[A]\nk=2\n");
    EXPECT_EQ(storeAt(link).getValue(u"A", u"k"), u"2");
}

TEST(IniFileStoreWriting, ALinkLeadingNowhereStaysALink) {
    TestFolder folder;
    fs::path link = folder.path() / "launcher.ini";
    fs::create_symlink(folder.path() / "missing" / "launcher.ini", link);
    EXPECT_FALSE(storeAt(link).setValue(u"A", u"k", u"v"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(entriesIn(folder.path()), 1u);
}

struct UntouchedCase {
    const char* name;
    std::string bytes;
    fs::perms permissions;
    std::u16string_view value;
};

// Each leaves the file as it was and no stray file beside it.
TEST(IniFileStoreWriting, LeavesAloneWhatItCannotWriteFaithfully) {
    const bool root = geteuid() == 0;
    const UntouchedCase cases[] = {
        {"value with a line feed", "[A]\r\nk=1\r\n", fs::perms::owner_all, u"1\n[B]"},
        {"value with a carriage return", "[A]\r\nk=1\r\n", fs::perms::owner_all, u"1\r"},
        {"read-only file", "[A]\r\nk=1\r\n", fs::perms::owner_read | fs::perms::group_read, u"2"},
        {"damaged UTF-8 that a rewrite would repair", "\xEF\xBB\xBF[A]\r\nk=\xC0\r\n",
         fs::perms::owner_all, u"2"},
        {"unreadable file", "[A]\r\nk=1\r\n", root ? fs::perms::none : fs::perms::owner_write,
         u"2"},
    };
    for (const UntouchedCase& c : cases) {
        if (root && c.permissions == fs::perms::none) {
            continue; // nothing keeps a superuser from reading
        }
        TestFolder folder;
        fs::path path = folder.write("launcher.ini", c.bytes);
        fs::permissions(path, c.permissions);
        EXPECT_FALSE(storeAt(path).setValue(u"A", u"k", c.value)) << c.name;
        fs::permissions(path, fs::perms::owner_all);
        EXPECT_EQ(folder.read("launcher.ini"), c.bytes) << c.name;
        EXPECT_EQ(entriesIn(folder.path()), 1u) << c.name;
    }
}

TEST(IniFileStoreWriting, LeavesAloneWhatIsNoRegularFile) {
    TestFolder folder;
    fs::path directory = folder.path() / "folder.ini";
    fs::create_directory(directory);
    EXPECT_FALSE(storeAt(directory).setValue(u"A", u"k", u"v"));
    EXPECT_TRUE(fs::is_directory(directory));

    fs::path pipe = folder.path() / "pipe.ini";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    // Neither reading nor writing waits for a writer on the other end.
    EXPECT_EQ(storeAt(pipe).getValue(u"A", u"k"), u"");
    EXPECT_FALSE(storeAt(pipe).setValue(u"A", u"k", u"v"));
    EXPECT_EQ(fs::status(pipe).type(), fs::file_type::fifo);
    EXPECT_EQ(entriesIn(folder.path()), 2u);
}

TEST(IniFileStoreWriting, NeedsAnExistingFolder) {
    TestFolder folder;
    EXPECT_FALSE(storeAt(folder.path() / "missing" / "launcher.ini").setValue(u"A", u"k", u"v"));
    EXPECT_EQ(entriesIn(folder.path()), 0u);
}

} // namespace
} // namespace launcher
