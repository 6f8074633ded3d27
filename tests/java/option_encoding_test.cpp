// The form each VM option takes for a narrow encoding: written, shortened, set
// after the VM's creation, or refused.
#include "java/option_encoding.h"
#include "platform/text.h"
#include "support/native_path.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace launcher {
namespace {

// A Western code page: Latin-1 keeps, Cyrillic and CJK do not. The entries that
// exist are those of the row, with their short names (the long name again on
// a volume without them); ASCII paths exist too.
NarrowForm westernCodePage(std::map<std::string, std::string> shortNames) {
    auto names = std::make_shared<std::map<std::string, std::string>>(std::move(shortNames));
    auto keeps = [](std::u16string_view text) {
        return std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x100; });
    };
    return {keeps,
            [names](const WideString& path) -> std::optional<WideString> {
                auto found = names->find(platform::wideToUtf8(path.view()));
                if (found == names->end()) {
                    return std::nullopt;
                }
                return platform::utf8ToWide(found->second);
            },
            [names, keeps](const WideString& path) {
                return keeps(path.view()) || names->contains(platform::wideToUtf8(path.view()));
            }};
}

WideString nativeText(const char* text) {
    return platform::utf8ToWide(testing::nativePath(text));
}

struct FormRow {
    const char* option;
    std::map<std::string, std::string> shortNames;
    OptionRoute route;
    const char* text; // what the VM is given when written or shortened
};

const FormRow kRows[] = {
    {"-Dapp.title=Grüße", {}, OptionRoute::Written, "-Dapp.title=Grüße"},
    {"-Djava.class.path=C:\\Приложение\\lib\\hello.jar;C:\\x\\b.jar",
     {{"C:\\Приложение\\lib\\hello.jar", "C:\\____~N4A\\lib\\hello.jar"}},
     OptionRoute::Shortened,
     "-Djava.class.path=C:\\____~N4A\\lib\\hello.jar;C:\\x\\b.jar"},
    {"-Djava.library.path=C:\\应用\\native;;.",
     {{"C:\\应用\\native", "C:\\6A1B~1\\native"}},
     OptionRoute::Shortened,
     "-Djava.library.path=C:\\6A1B~1\\native;;."},
    // A cache file the VM is yet to write has no short name; its folder does.
    {"-XX:ArchiveClassesAtExit=C:\\Приложение\\app.jsa",
     {{"C:\\Приложение", "C:\\____~N4A"}},
     OptionRoute::Shortened,
     "-XX:ArchiveClassesAtExit=C:\\____~N4A\\app.jsa"},
    {"-Dapp.title=Привет", {}, OptionRoute::SetAfterCreation, ""},
    {"-DПриложение=yes", {}, OptionRoute::SetAfterCreation, ""},
    // A volume without short names: the system hands the long form back.
    {"-Djava.class.path=C:\\Приложение\\hello.jar",
     {{"C:\\Приложение\\hello.jar", "C:\\Приложение\\hello.jar"}},
     OptionRoute::Refused,
     ""},
    // A folder that is not there names nothing, written or not: it is left out.
    {"-Djava.library.path=C:\\Приложение\\native;C:\\Старое;.",
     {{"C:\\Приложение\\native", "C:\\____~N4A\\native"}},
     OptionRoute::Shortened,
     "-Djava.library.path=C:\\____~N4A\\native;."},
    {"-Duser.home=C:\\Владимир", {}, OptionRoute::Refused, ""},
    {"-javaagent:C:\\Приложение\\agent.jar",
     {{"C:\\Приложение\\agent.jar", "C:\\____~N4A\\agent.jar"}},
     OptionRoute::Refused,
     ""},
};

class OptionFormRows : public ::testing::TestWithParam<FormRow> {};

TEST_P(OptionFormRows, ChoosesTheFormTheVmReadsUnchanged) {
    const FormRow& row = GetParam();
    NarrowForm narrow = westernCodePage([&] {
        std::map<std::string, std::string> names;
        for (const auto& [path, shortForm] : row.shortNames) {
            names.emplace(testing::nativePath(path), testing::nativePath(shortForm));
        }
        return names;
    }());
    OptionForm form = chooseOptionForm(nativeText(row.option), narrow);
    EXPECT_EQ(form.route, row.route) << row.option;
    if (row.route == OptionRoute::Written || row.route == OptionRoute::Shortened) {
        EXPECT_EQ(platform::wideToUtf8(form.text.view()), testing::nativePath(row.text));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, OptionFormRows, ::testing::ValuesIn(kRows));

TEST(EncodeJvmOptions, MovesPropertiesAfterCreationKeepingTheOrderOfTheRest) {
    EncodedJvmOptions encoded;
    ASSERT_TRUE(encodeJvmOptions({u"-Xmx64m", u"-Dapp.title=Привет", u"-Da=b=c", u"-Xss1m"},
                                 westernCodePage({}), encoded));
    EXPECT_EQ(encoded.options, (JvmOptionList{"-Xmx64m", "-Da=b=c", "-Xss1m"}));
    EXPECT_EQ(encoded.laterProperties, (std::vector<SystemProperty>{{u"app.title", u"Привет"}}));
}

TEST(EncodeJvmOptions, ARefusedOptionEncodesNothingAndIsNamedByItsName) {
    EncodedJvmOptions encoded;
    encoded.options = {"-Xkept"};
    EXPECT_FALSE(
        encodeJvmOptions({u"-Xmx64m", u"-Dfile.encoding=Кириллица"}, westernCodePage({}), encoded));
    EXPECT_EQ(encoded.options, (JvmOptionList{"-Xkept"}));
    EXPECT_EQ(optionName(u"-Dfile.encoding=Кириллица").view(), u"-Dfile.encoding");
    EXPECT_EQ(optionName(u"-Djava.class.path=x").view(), u"-Djava.class.path");
    EXPECT_EQ(optionName(u"-XX:AOTCache=C:\\x").view(), u"-XX:AOTCache");
}

TEST(ChooseRuntimeForm, ShortensARuntimeOnlyWhereTheVmTakesItsShortHome) {
    const std::string library = "C:\\Приложение\\jre64\\bin\\server\\jvm.dll";
    const std::map<std::string, std::string> names = {
        {testing::nativePath(library),
         testing::nativePath("C:\\____~N4A\\jre64\\bin\\server\\jvm.dll")},
        {testing::nativePath("C:\\Приложение\\jre64"), testing::nativePath("C:\\____~N4A\\jre64")}};
    const struct {
        const char* library;
        int feature;
        bool shortNames;
        std::optional<std::pair<const char*, const char*>> form; // library, home
    } rows[] = {
        {"C:\\jdk\\bin\\server\\jvm.dll", 11, true, std::pair{"C:\\jdk\\bin\\server\\jvm.dll", ""}},
        {library.c_str(), 25, true,
         std::pair{"C:\\____~N4A\\jre64\\bin\\server\\jvm.dll", "C:\\____~N4A\\jre64"}},
        {library.c_str(), 21, true, std::nullopt},
        {library.c_str(), 25, false, std::nullopt},
    };
    for (const auto& row : rows) {
        std::optional<RuntimeForm> form = chooseRuntimeForm(
            nativeText(row.library), row.feature,
            westernCodePage(row.shortNames ? names : std::map<std::string, std::string>{}));
        ASSERT_EQ(form.has_value(), row.form.has_value()) << row.library << " " << row.feature;
        if (form) {
            EXPECT_EQ(platform::wideToUtf8(form->library.view()),
                      testing::nativePath(row.form->first));
            EXPECT_EQ(platform::wideToUtf8(form->home.view()),
                      testing::nativePath(row.form->second));
        }
    }
}

} // namespace
} // namespace launcher
