// A failed load names the call and carries the system's code.
#include "platform/dynamic_library.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace launcher {
namespace {

TEST(LoadLibrary, FailureCarriesTheCallAndTheCode) {
    testing::TestFolder folder;
    const struct {
        const char* name;
        std::filesystem::path path;
        uint32_t code;
    } cases[] = {
        {"not a library", folder.write("jvm.dll", "plain text"), ERROR_BAD_EXE_FORMAT},
        {"missing", folder.path() / "missing" / "jvm.dll", ERROR_MOD_NOT_FOUND},
    };
    for (const auto& c : cases) {
        platform::SystemError error;
        WideString path(testing::toU16(c.path));
        EXPECT_EQ(platform::loadLibraryForever(path, error), nullptr) << c.name;
        EXPECT_STREQ(error.call, "LoadLibraryW") << c.name;
        EXPECT_EQ(error.code, c.code) << c.name;
    }
}

} // namespace
} // namespace launcher
