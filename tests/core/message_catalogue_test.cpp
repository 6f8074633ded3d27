#include "core/launcher_error.h"
#include "core/message_catalogue.h"

#include <gtest/gtest.h>

#include <map>

namespace launcher {
namespace {

const std::map<uint16_t, std::u16string_view>& expectedTexts() {
    static const std::map<uint16_t, std::u16string_view> texts = {
        {202, u"Windows exception: %s (errno = %d).\n"},
        {203, u"JNI exception: %s\nReason: %s.\n"},
        {204, u"COM error: %s (errno = %d).\n"},
        {205, u"JNI exception: %s.\n"},
        {206, u"The Java Runtime Environment (JRE) was not found. Please  download and install a "
              u"JRE with a server JVM (%s) from:"},
        {207, u"The Java Runtime Environment (JRE) was not found. Please  download and install a "
              u"JRE (%s) from:"},
        {208, u"failed to get the module path"},
        {209, u"Java Class Path was not specified in INI file."},
        {210, u"Main class was not specified in INI file."},
        {211, u"Failed to load Main Class: %s.\n"},
        {212, u"cannot find CreateJavaVM JNI"},
        {213, u"failed to create the Java VM"},
        {214, u"Browse for JRE folder"},
        {215, u"Could not find the main class %s.\n"},
        {216, u"No main method found in specified class.\n"},
        {217, u"latest version"},
        {218, u"maximum version %s"},
        {219, u"minimum version %s"},
        {220, u"version %s is required"},
        {221, u"version between %s and %s"},
        {222, u"Failed to load Java VM library: %s (errno = %d).\n"},
        {223, u"failed to initialize"},
        {224, u"failed to initialize module"},
        {225, u"unknown"},
        {226, u"thread detached from VM"},
        {227, u"JNI version error"},
        {228, u"not enough memory"},
        {229, u"VM already created"},
        {230, u"invalid arguments"},
    };
    return texts;
}

TEST(MessageCatalogue, HoldsEveryTextCharacterForCharacter) {
    for (const auto& [id, text] : expectedTexts()) {
        EXPECT_EQ(MessageCatalogue::load(id).view(), text) << "id " << id;
    }
}

TEST(MessageCatalogue, IdsOutsideTheCatalogueGiveTheEmptyText) {
    for (uint16_t id : {0, 1, 15, 16, 200, 201, 231, 240, 0xFFFF}) {
        EXPECT_TRUE(MessageCatalogue::load(id).empty()) << "id " << id;
    }
}

TEST(MessageCatalogue, FormatsWithArgumentsAndRaisesForMissingTexts) {
    EXPECT_EQ(MessageCatalogue::format(222, {u"C:\\50%\\jvm.dll", 193}).view(),
              u"Failed to load Java VM library: C:\\50%\\jvm.dll (errno = 193).\n");
    try {
        MessageCatalogue::format(231, {});
        FAIL() << "no text for 231";
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
