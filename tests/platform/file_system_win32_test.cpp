// The long-path prefix on Windows: "\\?\" for drive paths, "\\?\UNC\" for network paths.
#include "platform/file_system.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

namespace launcher::platform {
namespace {

struct LongPathCase {
    const char* name;
    std::u16string path;
    std::u16string expected;
};

// The folder part that makes each path long enough: 300 characters.
const std::u16string kLong(300, u'a');

TEST(WithLongPathPrefix, NetworkPathsTakeTheUncLongForm) {
    const LongPathCase cases[] = {
        {"short drive path unchanged", u"C:\\jre\\bin", u"C:\\jre\\bin"},
        {"short network path unchanged", u"\\\\server\\share\\jre", u"\\\\server\\share\\jre"},
        {"long drive path", u"C:\\" + kLong, u"\\\\?\\C:\\" + kLong},
        {"long network path", u"\\\\server\\share\\" + kLong,
         u"\\\\?\\UNC\\server\\share\\" + kLong},
        {"already long", u"\\\\?\\C:\\" + kLong, u"\\\\?\\C:\\" + kLong},
        {"already long network", u"\\\\?\\UNC\\server\\share\\" + kLong,
         u"\\\\?\\UNC\\server\\share\\" + kLong},
        {"device namespace unchanged", u"\\\\.\\pipe\\" + kLong, u"\\\\.\\pipe\\" + kLong},
        {"259 characters unchanged", u"\\\\s\\" + std::u16string(255, u'b'),
         u"\\\\s\\" + std::u16string(255, u'b')},
        {"260 characters", u"\\\\s\\" + std::u16string(256, u'b'),
         u"\\\\?\\UNC\\s\\" + std::u16string(256, u'b')},
    };
    for (const LongPathCase& c : cases) {
        EXPECT_EQ(withLongPathPrefix(WideString(c.path)), c.expected) << c.name;
    }
}

} // namespace
} // namespace launcher::platform
