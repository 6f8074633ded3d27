// The long-path prefix is a Windows matter: Linux paths stay as they are, long or not.
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <string>

namespace launcher::platform {
namespace {

TEST(WithLongPathPrefix, PathsStayAsTheyAre) {
    const std::u16string kLong(300, u'a');
    for (const std::u16string& path :
         {std::u16string(u"/opt/jre"), u"/opt/" + kLong, u"\\\\server\\share\\" + kLong}) {
        EXPECT_EQ(withLongPathPrefix(WideString(path)), path);
    }
}

} // namespace
} // namespace launcher::platform
