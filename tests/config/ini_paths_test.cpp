// INI paths on both systems: the per-user folder names and the files beside the executable.
#include "config/ini_paths.h"
#include "platform/text.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

std::string narrow(std::u16string_view text) {
    return platform::wideToNarrow(text);
}

TEST(ProductFolderName, DropsTheNineCharactersNoFolderNameMayHold) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"A/B: Tool?", u"AB Tool"},
        {u"\\?\"|><:/*", u""},
        {u"a\\b?c\"d|e>f<g:h/i*j", u"abcdefghij"},
        {u"  My  App  ", u"  My  App  "},
        {u"Caf\u00E9 \u4E2D.v2 (x86) [beta] #1 ;=", u"Caf\u00E9 \u4E2D.v2 (x86) [beta] #1 ;="},
        {u"", u""},
    };
    for (const auto& [productName, folder] : cases) {
        EXPECT_EQ(productFolderName(WideString(productName)).view(), folder) << narrow(productName);
    }
}

} // namespace
} // namespace launcher
