// A failed load names the call, carries the code and keeps the loader's own text.
#include "platform/dynamic_library.h"
#include "platform/text.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace launcher {
namespace {

TEST(LoadLibrary, FailureCarriesTheCallTheCodeAndTheLoadersText) {
    testing::TestFolder folder;
    const struct {
        const char* name;
        std::filesystem::path path;
        uint32_t code;
    } cases[] = {
        {"not a library", folder.write("libjvm.so", "plain text"), ENOEXEC},
        {"missing", folder.path() / "missing" / "libjvm.so", ENOENT},
    };
    for (const auto& c : cases) {
        platform::SystemError error;
        WideString path(testing::toU16(c.path));
        EXPECT_EQ(platform::loadLibraryForever(path, error), nullptr) << c.name;
        EXPECT_STREQ(error.call, "dlopen") << c.name;
        EXPECT_EQ(error.code, c.code) << c.name;
        EXPECT_NE(error.detail.find(c.path.string()), std::string::npos)
            << c.name << ": " << error.detail;
    }
}

} // namespace
} // namespace launcher
