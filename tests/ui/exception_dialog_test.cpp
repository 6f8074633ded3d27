// The exception text as the dialog's edit box gets it.
#include "ui/exception_dialog.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

TEST(WithWindowsLineEnds, EveryLoneLineFeedBecomesCrLf) {
    const struct {
        std::u16string_view text, shown;
    } cases[] = {
        {u"java.lang.Error: x\n\tat A.main(A.java:1)\n",
         u"java.lang.Error: x\r\n\tat A.main(A.java:1)\r\n"},
        {u"already\r\nwindows\r\n", u"already\r\nwindows\r\n"},
        {u"\nfirst", u"\r\nfirst"},
        {u"mixed\r\nand\nlone\r", u"mixed\r\nand\r\nlone\r"},
        {u"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(withWindowsLineEnds(WideString(c.text)).view(), c.shown)
            << std::string(c.text.begin(), c.text.end());
    }
}

} // namespace
} // namespace launcher
