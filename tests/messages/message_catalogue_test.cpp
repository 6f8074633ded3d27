// The message catalogue, text by text, and the string-block reader.
#include "base/launcher_error.h"
#include "messages/catalogue_texts.h"
#include "messages/message_catalogue.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

TEST(MessageCatalogue, HoldsEveryTextCharacterForCharacter) {
    for (const auto& [id, text] : expectedTexts()) {
        EXPECT_EQ(MessageCatalogue::load(id).view(), text) << "id " << id;
    }
}

TEST(MessageCatalogue, IdsOutsideTheCatalogueGiveTheEmptyText) {
    for (uint16_t id : {0, 1, 15, 16, 200, 201, 232, 240, 0xFFFF}) {
        EXPECT_TRUE(MessageCatalogue::load(id).empty()) << "id " << id;
    }
}

TEST(MessageCatalogue, FormatsWithArgumentsAndRaisesForMissingTexts) {
    EXPECT_EQ(MessageCatalogue::format(222, {u"C:\\50%\\jvm.dll", 193}).view(),
              u"Failed to load Java VM library: C:\\50%\\jvm.dll (errno = 193).\n");
    try {
        MessageCatalogue::format(232, {});
        FAIL() << "no text for 232";
    } catch (const LauncherError& error) {
        EXPECT_EQ(error.code(), kErrorFail);
    }
}

TEST(JniFailureReason, NamesTheSixResultsAndNothingElse) {
    const std::pair<int32_t, std::u16string_view> cases[] = {
        {-1, u"unknown"},
        {-2, u"thread detached from VM"},
        {-3, u"JNI version error"},
        {-4, u"not enough memory"},
        {-5, u"VM already created"},
        {-6, u"invalid arguments"},
        {-7, u""},
        {1, u""},
        {0, u""},
    };
    for (const auto& [result, reason] : cases) {
        EXPECT_EQ(jniFailureReason(result).view(), reason) << "result " << result;
    }
}

// A block of 16 entries: entry i has i units 'a' + i, except the empty ones.
std::vector<char16_t> makeBlock(unsigned entries) {
    std::vector<char16_t> block;
    for (unsigned i = 0; i < entries; ++i) {
        block.push_back(static_cast<char16_t>(i % 3 == 0 ? 0 : i));
        if (i % 3 != 0) {
            block.insert(block.end(), i, static_cast<char16_t>(u'a' + i));
        }
    }
    return block;
}

TEST(StringBlockEntry, WalksByLengthPrefixesAndNeverPastTheBlock) {
    std::vector<char16_t> block = makeBlock(16);
    EXPECT_EQ(stringBlockEntry(block, 1), u"b");
    EXPECT_EQ(stringBlockEntry(block, 5), u"fffff");
    EXPECT_TRUE(stringBlockEntry(block, 3).empty()); // stored empty
    EXPECT_TRUE(stringBlockEntry({}, 0).empty());
    std::vector<char16_t> cut(block.begin(), block.begin() + 10); // ends inside entry 4
    EXPECT_EQ(stringBlockEntry(cut, 2), u"cc");
    EXPECT_TRUE(stringBlockEntry(cut, 4).empty());
    EXPECT_TRUE(stringBlockEntry(cut, 15).empty());
    std::vector<char16_t> lying = {0xFFFF, u'x'}; // a length beyond the end
    EXPECT_TRUE(stringBlockEntry(lying, 0).empty());
    EXPECT_TRUE(stringBlockEntry(lying, 1).empty());
}

} // namespace
} // namespace launcher
