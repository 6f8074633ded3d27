// Dated output file names.
#include "java/output_files.h"
#include "platform/text.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

// 9 March 2017, a Thursday, 14:05:09.045.
constexpr platform::LocalTime kLaunch{2017, 3, 4, 9, 14, 5, 9, 45};

TEST(ExpandFileNameTime, FillsThePatternBetweenTheFirstAndTheLastPercent) {
    const struct {
        std::u16string_view name;
        std::u16string_view expanded;
    } cases[] = {
        {u"C:\\Logs\\app-%yyyy-MM-dd%.log", u"C:\\Logs\\app-2017-03-09.log"},
        {u"C:\\Logs\\app-%HH-mm-ss-L%.log", u"C:\\Logs\\app-14-05-09-45.log"},
        {u"app-%d.M.yy%-%H%.log", u"app-9.3.17%-%14.log"}, // inner '%' are text
        {u"single%percent.log", u"singlepercent.log"},
        {u"no pattern.log", u"no pattern.log"},
        {u"%'HH at' HH%.log", u"HH at 14.log"},
        {u"%L%L%.log", u"45%45.log"},
    };
    for (const auto& c : cases) {
        WideString name(c.name);
        expandFileNameTime(name, kLaunch);
        EXPECT_EQ(name.view(), c.expanded) << platform::wideToNarrow(c.name);
    }
}

} // namespace
} // namespace launcher
