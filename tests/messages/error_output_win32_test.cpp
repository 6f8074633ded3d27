// Error lines with characters the output's code page lacks still arrive whole.
#include "messages/error_output.h"
#include "messages/message_ids.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

TEST(ErrorOutput, ALineWithCharactersBeyondTheCodePageArrivesWhole) {
    ::testing::internal::CaptureStdout();
    reportMessage(msg::kJvmLoadFailed,
                  {u"C:\\jre-\u00FC\u20AC\u4E2D\U0001F600\\bin\\jvm.dll", 193});
    std::string line = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(line.rfind("Error: Failed to load Java VM library: C:\\jre-", 0), 0u) << line;
    const std::string tail = "\\bin\\jvm.dll (errno = 193).\n \n";
    ASSERT_GE(line.size(), tail.size()) << line;
    EXPECT_EQ(line.substr(line.size() - tail.size()), tail) << line;
    EXPECT_EQ(line.find('\0'), std::string::npos);
}

} // namespace
} // namespace launcher
