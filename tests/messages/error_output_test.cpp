// The error line: its exact shape, formats never taken from arguments, escaped errors.
#include "base/launcher_error.h"
#include "messages/error_output.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

std::string printed(const std::function<void()>& report) {
    ::testing::internal::CaptureStdout();
    report();
    return ::testing::internal::GetCapturedStdout();
}

TEST(ErrorOutput, OneLineWithPrefixTextBlankAndLineFeed) {
    EXPECT_EQ(
        printed([] { reportError(WideString(u"Main class was not specified in INI file.")); }),
        "Error: Main class was not specified in INI file. \n");
    EXPECT_EQ(printed([] { reportError(WideString()); }), "Error:  \n");
    // A catalogue text ending in a line feed gives a second line holding one blank.
    EXPECT_EQ(printed([] { reportMessage(216, {}); }),
              "Error: No main method found in specified class.\n \n");
}

TEST(ErrorOutput, ArgumentsAreNeverUsedAsFormats) {
    EXPECT_EQ(printed([] {
                  reportMessage(222, {u"C:\\100%s\\%d\\jvm.dll", 2});
              }),
              "Error: Failed to load Java VM library: C:\\100%s\\%d\\jvm.dll (errno = 2).\n \n");
    EXPECT_EQ(printed([] { reportFormatted(u"%s", {u"%%"}); }), "Error: %% \n");
}

TEST(ErrorOutput, AnEscapedLauncherErrorNamesItsCodeInHex) {
    EXPECT_EQ(printed([] { reportEscapedError(kErrorOutOfMemory); }),
              "Error: internal error 0x8007000E \n");
    EXPECT_EQ(printed([] { reportEscapedError(kErrorArithmeticOverflow); }),
              "Error: internal error 0x80070216 \n");
}

} // namespace
} // namespace launcher
