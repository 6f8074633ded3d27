// Option assembly: class path rules, VM parameter splitting, the option list.
#include "config/ini_paths.h"
#include "java/jvm_options.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "support/printers.h"
#include "support/scoped_variable.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

using testing::TestFolder;

constexpr char16_t kSeparator = platform::kPathSeparator;
constexpr char16_t kListSeparator = platform::kPathListSeparator;

// The context of a launcher in `folder`.
RunContext launcherIn(const WideString& folder) {
    RunContext context;
    context.launcherFolder = platform::withSeparator(folder);
    context.executable =
        context.launcherFolder + (kSeparator == u'\\' ? u"launcher.exe" : u"launcher");
    return context;
}

// A launcher folder with lib/app.jar, lib/util.jar and top.jar, and settings whose
// "Class Path" (and "Embedded Jar") are given.
class ClassPath : public ::testing::Test {
  protected:
    ClassPath() {
        folder.write("lib/app.jar", "jar");
        folder.write("lib/util.jar", "jar");
        folder.write("lib/notes.txt", "text");
        folder.write("top.jar", "jar");
        root = WideString(testing::toU16(folder.path()));
        useNativeSeparators(root);
        executable = launcherIn(root).executable;
    }

    WideString compose(std::u16string_view classPath, bool embeddedJar = false) {
        JavaOptionSettings settings;
        settings.classPath = classPath;
        settings.embeddedJar = embeddedJar;
        return composeClassPath(settings, launcherIn(root));
    }

    // The launcher folder's path of a relative name written with '/'.
    WideString under(std::u16string_view relative) const {
        WideString path = root;
        path.append(kSeparator);
        WideString tail(relative);
        if (kSeparator != u'/') {
            tail.replaceAll(u'/', kSeparator);
        }
        return path.append(tail);
    }

    // Elements joined, each followed by the list separator.
    static WideString listOf(std::initializer_list<WideString> elements) {
        WideString list;
        for (const WideString& element : elements) {
            list.append(element).append(kListSeparator);
        }
        return list;
    }

    TestFolder folder;
    WideString root;
    WideString executable;
};

TEST_F(ClassPath, WildcardsAndRelativeEntriesAreSearchedInTheLauncherFolder) {
    EXPECT_EQ(compose(u"\\lib\\app.jar;\\lib\\*.jar"),
              listOf({under(u"lib/app.jar"), under(u"lib/app.jar"), under(u"lib/util.jar")}));
    EXPECT_EQ(compose(u"\\*.jar"), listOf({under(u"top.jar")}));
}

TEST_F(ClassPath, MissingRelativeEntriesAreDroppedAndAbsoluteOnesKept) {
    WideString absoluteMissing = under(u"nowhere/gone.jar");
    WideString value = WideString(u"\\lib\\gone.jar;") + absoluteMissing.view();
    EXPECT_EQ(compose(value), listOf({absoluteMissing}));
    EXPECT_TRUE(compose(u"\\lib\\*.zip").empty());
}

TEST_F(ClassPath, AnEmptyEntryIsASearchForTheLauncherFolderItself) {
    EXPECT_EQ(compose(u"\\top.jar;;\\top.jar"),
              listOf({under(u"top.jar"), root, under(u"top.jar")}));
    EXPECT_EQ(compose(u"\\top.jar;"), listOf({under(u"top.jar")})); // no empty last entry
}

TEST_F(ClassPath, EmbeddedJarPutsTheExecutableFirst) {
    EXPECT_EQ(compose(u"\\top.jar", true), listOf({executable, under(u"top.jar")}));
    EXPECT_EQ(compose(u"\\top.jar", false), listOf({under(u"top.jar")}));
    EXPECT_EQ(compose(u"", true), listOf({executable}));
}

TEST_F(ClassPath, EnvironmentReferencesAreExpandedInEachEntry) {
    testing::ScopedVariable restored(u"ZEN_JVM_HOME");
    ASSERT_TRUE(platform::setEnvironmentVariable(u"ZEN_JVM_HOME", under(u"lib")));
    WideString entries(u"%ZEN_JVM_HOME%");
    entries.append(kSeparator).append(u"util.jar;\\%ZEN_UNDEFINED_NAME%.jar");
    EXPECT_EQ(compose(entries), listOf({under(u"lib/util.jar")}));
}

WideStringList split(std::u16string_view parameters, size_t& stackSize) {
    WideStringList items;
    VmParameterState state;
    splitVmParameters(parameters, items, state);
    stackSize = state.applicationThreadStackSize;
    return items;
}

struct ParameterCase {
    std::u16string_view text;
    std::vector<std::u16string_view> items;
};

TEST(VmParameters, SplitAtBlanksOutsideQuotesThenUnquoted) {
    const ParameterCase cases[] = {
        {u"-Xmx512m  -Dx=\"a b\"  \"-Dy=c d\"", {u"-Xmx512m", u"-Dx=a b", u"-Dy=c d"}},
        {u"-Dtitle=\"My App\" -Xmx256m", {u"-Dtitle=My App", u"-Xmx256m"}},
        {u"", {}},
        {u"   ", {}},
        {u" -Xmx512m", {u"-Xmx512m"}}, // as the extending-section rule produces it
        {u"-Dq=\"say \"\"hi\"\"\"", {u"-Dq=say \"hi\""}},
        {u"-Dopen=\"a b", {u"-Dopen=\"a", u"b"}}, // an unclosed quote protects nothing
        {u"\"\"", {u""}},
        {u"-Da=\"1\"\"2\" x", {u"-Da=1\"2\"", u"x"}}, // a doubled quote closes on its second
    };
    for (const ParameterCase& c : cases) {
        size_t stack = 0;
        WideStringList items = split(c.text, stack);
        ASSERT_EQ(items.size(), c.items.size()) << platform::wideToNarrow(c.text);
        for (size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].view(), c.items[i]) << platform::wideToNarrow(c.text);
        }
    }
}

TEST(VmParameters, TheLastXssSetsTheThreadStackAndTheOptionStays) {
    const std::pair<std::u16string_view, size_t> cases[] = {
        {u"-Xss512k", 524288},
        {u"-Xss2m -Xmx64m", 2097152},
        {u"-Xss2m -Xss1048576", 1048576},
        {u"-Xss2m -Xss=512k", 0},
        {u"-Xss1:2m", 0},
        {u"-Xmx64m", 0},
    };
    for (const auto& [text, expected] : cases) {
        size_t stack = 0;
        WideStringList items = split(text, stack);
        EXPECT_EQ(stack, expected) << platform::wideToNarrow(text);
        EXPECT_EQ(items.front().view().substr(0, 4), text.substr(0, 4));
    }
    size_t stack = 0;
    WideStringList items = split(u"-Xss1P", stack);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_TRUE(items[0].startsWith(u"-Xss")) << platform::wideToNarrow(items[0]);
    EXPECT_EQ(items[0].at(items[0].length() - 1), u'K');
    EXPECT_EQ(stack,
              std::stoull(platform::wideToNarrow(items[0].mid(4, items[0].length() - 5))) * 1024);
}

// buildJvmOptions over settings naming one jar by its absolute path.
class OptionList : public ::testing::Test {
  protected:
    OptionList() {
        settings.classPath = WideString(testing::toU16(folder.write("app.jar", "jar")));
    }

    bool build(JvmOptionAssembly& assembly) const {
        return buildJvmOptions(settings, launcherIn(WideString(testing::toU16(folder.path()))),
                               assembly);
    }

    TestFolder folder;
    JavaOptionSettings settings;
};

TEST_F(OptionList, ClassPathFirstThenParametersExpandedAfterUnquoting) {
    testing::ScopedVariable restored(u"ZEN_TEST_TITLE");
    ASSERT_TRUE(platform::setEnvironmentVariable(u"ZEN_TEST_TITLE", WideString(u"Title")));
    settings.vmParameters = u"-Xmx64m \"-Dt=%ZEN_TEST_TITLE% here\"";
    JvmOptionAssembly assembly;
    ASSERT_TRUE(build(assembly));
    // Without the closing separator: the VM would read it as the current directory.
    EXPECT_EQ(assembly.options,
              (WideStringList{WideString(u"-Djava.class.path=") + settings.classPath, u"-Xmx64m",
                              u"-Dt=Title here"}));
}

TEST_F(OptionList, RedirectionNamesAndAppendFlags) {
    testing::ScopedVariable restored(u"ZEN_TEST_LOGS");
    ASSERT_TRUE(platform::setEnvironmentVariable(u"ZEN_TEST_LOGS", WideString(u"logs")));
    settings.outputFile = u"%ZEN_TEST_LOGS%/out.txt";
    settings.errorFile = u"err.txt";
    settings.errorAppend = true;
    JvmOptionAssembly assembly;
    ASSERT_TRUE(build(assembly));
    EXPECT_EQ(assembly.redirection.outputFile, u"logs/out.txt");
    EXPECT_FALSE(assembly.redirection.outputAppend);
    EXPECT_EQ(assembly.redirection.errorFile, u"err.txt");
    EXPECT_TRUE(assembly.redirection.errorAppend);
}

TEST_F(OptionList, CmdTokensWithoutTheEmptyOnes) {
    settings.cmd = u"one \"\" \"two words\"";
    JvmOptionAssembly assembly;
    ASSERT_TRUE(build(assembly));
    ASSERT_EQ(assembly.extraArguments.size(), 2u);
    EXPECT_EQ(assembly.extraArguments[0], u"one");
    EXPECT_EQ(assembly.extraArguments[1], u"two words");
}

TEST_F(OptionList, EmptyClassPathPrints209AndAssemblesNothingElse) {
    settings.classPath = u"\\nothing\\here\\*.jar";
    settings.vmParameters = u"-Xss2m";
    settings.outputFile = u"out.txt";
    settings.cmd = u"extra";
    JvmOptionAssembly assembly;
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(build(assembly));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Error: Java Class Path was not specified in INI file. \n");
    EXPECT_TRUE(assembly.options.empty());
    EXPECT_TRUE(assembly.redirection.outputFile.empty());
    EXPECT_TRUE(assembly.extraArguments.empty());
    EXPECT_EQ(assembly.applicationThreadStackSize, 0u);
}

} // namespace
} // namespace launcher
