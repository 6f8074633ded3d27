// Single instance on Linux belongs to one user: the starts of different users
// never meet, and what another user leaves under this user's name is never used.
// Root tests: they start the launcher as another user.
#include "e2e/launcher_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace launcher::e2e {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kOtherUser = 65534; // nobody

class CrossUser : public ::testing::TestWithParam<Configuration> {
  protected:
    CrossUser() : folder(GetParam()) {}

    void SetUp() override {
        if (geteuid() != 0) {
            GTEST_SKIP() << "only root can start the launcher as another user";
        }
        // The other user runs the same launcher from the same folder and records there.
        fs::permissions(folder.path(), fs::perms::all, fs::perm_options::add);
    }

    void configure(const std::string& mainClass) {
        folder.writeIni(
            {.jre = "JRE Path=" + folder.installRuntime() + "\nMain Class=" + mainClass +
                    "\nVirtual Machine Parameters=-Dforward.stop=" + folder.launcherPath("stop"),
             .classPath = folder.applicationClassPath(),
             .application = "Single Instance=yes"});
    }

    LauncherFolder folder;
};

INSTANTIATE_TEST_SUITE_P(RealJvm, CrossUser,
                         ::testing::ValuesIn(onTarget(realJvmConfigurations(), Target::Linux)),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CrossUser);

// A start under sudo while the user's primary runs used to reach that primary,
// which refused it: the start ended with 255 and no message.
TEST_P(CrossUser, AnotherUsersPrimaryLeavesThisUsersStartItsOwn) {
    configure("testapp.ForwardInt");
    folder.runAsUser(kOtherUser);
    StartedRun other = folder.start({}, "other");
    ASSERT_TRUE(folder.waitForRecordLine("main=testapp/ForwardInt"));
    folder.runAsUser(std::nullopt);
    StartedRun own = folder.start({"mine"}, "own");
    EXPECT_TRUE(folder.waitForRecordLine("main=testapp/ForwardInt", 2))
        << "this user's start did not become a primary of its own";
    std::ofstream(folder.path() / "stop").put('\n');
    EXPECT_EQ(own.finish().exitCode, 0u);
    EXPECT_EQ(other.finish().exitCode, 0u);
    EXPECT_TRUE(folder.recorded("secondaryMain").empty());
}

// A block another user made under this user's name could read every start's
// arguments: it is left alone, the start runs on its own, and the file stays.
TEST_P(CrossUser, ABlockAnotherUserOwnsIsNeverUsedNorRemoved) {
    configure("testapp.PrintArgs");
    fs::path squatted = instanceBlockFile(folder);
    std::string id = std::to_string(kOtherUser);
    testing::ProcessResult made =
        testing::runProcess({"setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups", "sh",
                             "-c", "umask 0 && : > '" + squatted.string() + "'"});
    ASSERT_EQ(made.exitCode, 0) << made.output;
    RunResult result = folder.run({"x"});
    EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_NE(result.output.find("arg[0]=x\n"), std::string::npos) << result.output;
    EXPECT_TRUE(fs::exists(squatted));
    fs::remove(squatted);
}

} // namespace
} // namespace launcher::e2e
