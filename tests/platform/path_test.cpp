// Which path texts name their place from a root of their own.
#include "platform/path.h"

#include <gtest/gtest.h>

#include <span>
#include <string>

namespace launcher::platform {
namespace {

TEST(PathKinds, OnlyAPathFromARootIsAbsolute) {
    struct Row {
        std::u16string_view path;
        bool absolute;
        bool driveRelative;
    };
    const Row windows[] = {
        {u"C:\\jre", true, false}, {u"C:/jre", true, false}, {u"\\\\server\\share", true, false},
        {u"C:jre", false, true},   {u"C:", false, true},     {u"jre", false, false},
        {u"\\jre", false, false},  {u"", false, false},
    };
    const Row posix[] = {
        {u"/opt/jre", true, false},
        {u"jre", false, false},
        {u"C:jre", false, false},
        {u"", false, false},
    };
    for (const Row& row :
         kDriveAndNetworkRoots ? std::span<const Row>(windows) : std::span<const Row>(posix)) {
        std::string shown(row.path.begin(), row.path.end());
        EXPECT_EQ(isAbsolutePath(row.path), row.absolute) << shown;
        EXPECT_EQ(isDriveRelative(row.path), row.driveRelative) << shown;
    }
}

} // namespace
} // namespace launcher::platform
