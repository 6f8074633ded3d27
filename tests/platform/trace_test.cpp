// How values appear in trace lines: plain when grep can match them as they are,
// otherwise quoted so that a line always splits into its fields.
#include "platform/trace.h"

#include <gtest/gtest.h>
#include <string>

namespace launcher::platform {
namespace {

TEST(TraceValue, PlainOnlyWhenNothingCouldBeMisread) {
    struct {
        std::string value;
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
        // Nothing a shell would run when the trace file is given to one.
        {"x\"&calc&\"", "\"x\\\"\\x26calc\\x26\\\"\""},
        {"$(id)`id`;a|b", "\"\\x24\\x28id\\x29\\x60id\\x60\\x3ba\\x7cb\""},
        {"%PATH%!v!^<>'", "\"\\x25PATH\\x25\\x21v\\x21\\x5e\\x3c\\x3e\\x27\""},
        {std::string("tab\tnul\0del\x7F", 12), "\"tab\\x09nul\\x00del\\x7f\""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(traceValue(row.value), row.written) << row.value;
    }
}

} // namespace
} // namespace launcher::platform
