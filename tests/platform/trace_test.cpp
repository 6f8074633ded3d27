// How values appear in trace lines: plain when grep can match them as they are,
// otherwise quoted so that a line always splits into its fields.
#include "platform/trace.h"

#include <gtest/gtest.h>

namespace launcher::platform {
namespace {

TEST(TraceValue, PlainOnlyWhenNothingCouldBeMisread) {
    struct {
        const char* value;
        const char* written;
    } rows[] = {
        {"hello.Main", "hello.Main"},
        {"/usr/lib/jvm/temurin-25/lib/server/libjvm.so",
         "/usr/lib/jvm/temurin-25/lib/server/libjvm.so"},
        {"-Xmx64m", "-Xmx64m"},
        {"a+b:c_d", "a+b:c_d"},
        {"", "\"\""},
        {"Main Class", "\"Main Class\""},
        {"C:\\Program Files\\app", "\"C:\\\\Program Files\\\\app\""},
        {"-Dname=\"quoted\"", "\"-Dname=\\\"quoted\\\"\""},
        {"key=value", "\"key=value\""},
        {"two\nlines\r", "\"two\\nlines\\r\""},
        {"caf\xC3\xA9", "\"caf\xC3\xA9\""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(traceValue(row.value), row.written) << row.value;
    }
}

} // namespace
} // namespace launcher::platform
