// The variables, library path option and search path published for the runtime.
#include "java/process_environment.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "support/native_path.h"
#include "support/scoped_variable.h"

#include <gtest/gtest.h>

#include <optional>

namespace launcher {
namespace {

std::string native(std::string text) {
    return testing::nativePath(std::move(text));
}

std::string variable(std::u16string_view name) {
    WideString value;
    return platform::getEnvironmentVariable(name, value) ? platform::wideToNarrow(value)
                                                         : "(unset)";
}

struct EnvironmentCase {
    const char* library;
    const char* libraryPath;
    const char* systemPath;
    const char* home;
    const char* option; // "" for none
    const char* path;
};

const EnvironmentCase kCases[] = {
    {"C:\\Java\\jre\\bin\\server\\jvm.dll", "native", "", "C:\\Java\\jre",
     "-Djava.library.path=native;C:\\App\\;.;C:\\Windows\\system32;C:\\Java\\jre\\lib",
     "C:\\Windows\\system32;C:\\Java\\jre\\bin"},
    {"C:\\Java\\jre\\bin\\server\\jvm.dll", "native;", "C:\\Tools", "C:\\Java\\jre",
     "-Djava.library.path=native;C:\\App\\;.;C:\\Windows\\system32;C:\\Java\\jre\\lib",
     "C:\\Tools;C:\\Windows\\system32;C:\\Java\\jre\\bin"},
    {"C:\\Java\\jre\\bin\\server\\jvm.dll", "", "C:\\Tools;", "C:\\Java\\jre", "",
     "C:\\Tools;C:\\Windows\\system32;C:\\Java\\jre\\bin"},
    {"C:\\Java\\jre\\bin\\server\\jvm.dll", "%ZEN_JVM_HOME%\\ext", "%ZEN_JVM_HOME%\\bin\\ext",
     "C:\\Java\\jre",
     "-Djava.library.path=C:\\Java\\jre\\ext;C:\\App\\;.;C:\\Windows\\system32;C:\\Java\\jre\\lib",
     "C:\\Java\\jre\\bin\\ext;C:\\Windows\\system32;C:\\Java\\jre\\bin"},
    {"C:\\Jdk\\jre\\bin\\server\\jvm.dll", "", "", "C:\\Jdk\\jre", "",
     "C:\\Windows\\system32;C:\\Jdk\\jre\\bin"},
};

class ProcessEnvironment : public ::testing::TestWithParam<EnvironmentCase> {
  protected:
    testing::ScopedVariable path{platform::kSearchPathVariable,
                                 platform::utf8ToWide(native("C:\\Windows\\system32")).view()};
};

TEST_P(ProcessEnvironment, PublishesTheRuntimeAndExtendsThePath) {
    const EnvironmentCase& c = GetParam();
    std::optional<WideString> option = prepareProcessEnvironment(
        {platform::utf8ToWide(native(c.library)), platform::utf8ToWide(native(c.libraryPath)),
         platform::utf8ToWide(native(c.systemPath)), platform::utf8ToWide(native("C:\\App\\"))});
    EXPECT_EQ(variable(u"ZEN_JVM_PATH"), native(c.library));
    EXPECT_EQ(variable(u"ZEN_JVM_HOME"), native(c.home));
    EXPECT_EQ(platform::wideToNarrow(option.value_or(u"")), native(c.option));
    EXPECT_EQ(option.has_value(), *c.libraryPath != '\0');
    EXPECT_EQ(variable(platform::kSearchPathVariable), native(c.path));
}

INSTANTIATE_TEST_SUITE_P(Rows, ProcessEnvironment, ::testing::ValuesIn(kCases));

// Linux layouts of their own: a JDK 8 keeps its VM one folder deeper, and its home
// is its jre folder, as on Windows.
TEST(ProcessEnvironmentLinux, AJdk8HomeIsItsJreFolder) {
    if (platform::kPathSeparator != u'/') {
        GTEST_SKIP() << "Linux layouts";
    }
    struct {
        const char* library;
        const char* home;
        const char* option;
    } rows[] = {
        {"/jdk/lib/server/libjvm.so", "/jdk",
         "-Djava.library.path=native:/app/:.:/usr/bin:/jdk/lib"},
        {"/jdk8/jre/lib/amd64/server/libjvm.so", "/jdk8/jre",
         "-Djava.library.path=native:/app/:.:/usr/bin:/jdk8/jre/lib"},
        {"/jre8/lib/amd64/server/libjvm.so", "/jre8",
         "-Djava.library.path=native:/app/:.:/usr/bin:/jre8/lib"},
    };
    for (const auto& row : rows) {
        testing::ScopedVariable path{platform::kSearchPathVariable, u"/usr/bin"};
        std::optional<WideString> option = prepareProcessEnvironment(
            {platform::utf8ToWide(row.library), u"native", u"", u"/app/"});
        EXPECT_EQ(variable(u"ZEN_JVM_HOME"), row.home) << row.library;
        EXPECT_EQ(platform::wideToNarrow(option.value_or(u"")), row.option) << row.library;
    }
}

} // namespace
} // namespace launcher
