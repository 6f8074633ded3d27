// launcher-pack's bad inputs: each gets one line and exit code 2, and nothing is
// written; a good one gets its folder.
#include "pack/application_folder.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace launcher::pack {
namespace {

namespace fs = std::filesystem;

class PackCommand : public ::testing::Test {
  protected:
    // packMain with the usual arguments, `extra` after them; its standard error.
    int pack(std::vector<std::string> extra, std::string& errors) {
        std::vector<std::string> arguments = {
            "--launcher", LAUNCHER_PACK_INPUT, "--name", "Hello",
            "--out",      out.string(),        "--jar",  LAUNCHER_SAMPLE_JAR};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        ::testing::internal::CaptureStderr();
        int code = packMain(arguments, folder.path());
        errors = ::testing::internal::GetCapturedStderr();
        return code;
    }

    testing::TestFolder folder;
    fs::path out = folder.path() / "app";
};

TEST_F(PackCommand, EachBadInputGetsOneLineAndExitCodeTwoAndNothingIsWritten) {
    folder.write("not-an-icon.ico", "GIF89a");
    const struct {
        std::vector<std::string> extra;
        const char* says;
    } rows[] = {
        {{"--main", "com.example.hello.HelloApp", "--jar", "missing.jar"}, "does not exist"},
        {{"--main", "com.example.hello.Missing"}, "is in none of the jars"},
        {{}, "no main class"},
        {{"--main", "com.example.hello.HelloApp", "--icon",
          (folder.path() / "not-an-icon.ico").string()},
         "not an .ico file"},
        {{"--main", "com.example.hello.HelloApp", "--version", "1.65536"}, "is no version"},
        {{"--main", "com.example.hello.HelloApp", "--execution-level", "admin"}, "is none of"},
        {{"--main", "com.example.hello.HelloApp", "--company", "two\nlines"}, "a line break"},
        {{"--main", "com.example.hello.HelloApp", "--runtime", folder.path().string()},
         "holds no bin/java.dll"},
        {{"--main", "com.example.hello.HelloApp", "--name", "a/b"}, "is no file name"},
        {{"--bogus"}, "unknown option --bogus"},
        {{"--main"}, "--main needs a value"},
    };
    for (const auto& row : rows) {
        std::string errors;
        EXPECT_EQ(pack(row.extra, errors), 2) << row.says;
        EXPECT_EQ(errors.rfind("launcher-pack: ", 0), 0u) << errors;
        EXPECT_NE(errors.find(row.says), std::string::npos) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1)
            << row.says << ": something was written";
    }
}

TEST_F(PackCommand, AnExistingOutputIsKeptUnlessForced) {
    folder.write("app/mine.txt", "kept");
    std::string errors;
    std::vector<std::string> main = {"--main", "com.example.hello.HelloApp"};
    EXPECT_EQ(pack(main, errors), 2);
    EXPECT_NE(errors.find("exists already"), std::string::npos) << errors;
    EXPECT_EQ(folder.read("app/mine.txt"), "kept");
    main.push_back("--force");
    ASSERT_EQ(pack(main, errors), 0) << errors;
    EXPECT_FALSE(fs::exists(out / "mine.txt"));
    EXPECT_TRUE(fs::exists(out / "Hello.exe"));
    EXPECT_TRUE(fs::exists(out / "lib" / "hello.jar"));
    EXPECT_NE(folder.read("app/Hello.ini").find("Class Path=\\lib\\*.jar\r\n"), std::string::npos);
}

} // namespace
} // namespace launcher::pack
