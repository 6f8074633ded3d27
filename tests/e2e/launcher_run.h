// Runs a built launcher as a process in a folder of its own: the Linux launcher
// directly, the Windows launcher under Wine. One scenario is written once and run
// in every configuration that can show it.
#pragma once

#include "support/application_ini.h"
#include "support/file_bytes.h"
#include "support/process.h"
#include "support/test_folder.h"
#include "support/wine_environment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace launcher::e2e {

enum class Target { Linux, Windows };

struct Configuration {
    std::string name; // shown in test names
    Target target;
    std::string jdkHome; // a real JDK to run on (its Linux path); empty for the test JVM

    bool realJvm() const { return !jdkHome.empty(); }
};

inline void PrintTo(const Configuration& configuration, std::ostream* out) {
    *out << configuration.name;
}

// Every configuration this machine can run: Linux with the test JVM, Windows
// under Wine with the test JVM, Linux with each JDK under /usr/lib/jvm, and
// Windows under Wine with each runtime scripts/setup unpacks to build/runtimes.
std::vector<Configuration> allConfigurations();
std::vector<Configuration> testJvmConfigurations();
std::vector<Configuration> realJvmConfigurations();
// The configurations of `all` that run the launcher of `target`.
std::vector<Configuration> onTarget(const std::vector<Configuration>& all, Target target);
// The configurations of `all` that run the Windows launcher.
std::vector<Configuration> windowsConfigurations(const std::vector<Configuration>& all);

struct RunResult {
    uint32_t exitCode = 0; // the full 32-bit code on Windows, 8 bits on Linux
    std::string output;    // standard output
    std::string errors;    // standard error
};

// A run that goes on while the test does other things (single instance: a
// primary and its second instances; a service waiting for its stop). Its output
// files carry its tag.
class StartedRun {
  public:
    // A test that failed half way leaves no run behind: the process ends with it.
    StartedRun(Target target, testing::Process process, std::filesystem::path folder,
               std::string tag);

    // Waits, for two minutes at most, and returns the result.
    RunResult finish();
    // Whether the process has ended; it is not reaped.
    bool ended() const;
    // Ends the process at once, as a crash would.
    void kill();
    // Sends the process a signal (a Linux launcher: the stop request of a service).
    void signal(int number) const;

  private:
    Target target_;
    testing::Process process_;
    std::filesystem::path folder_;
    std::string tag_;
};

// Waits until `file` exists, at most `seconds`; whether it does.
bool waitForFile(const std::filesystem::path& file, int seconds);

class LauncherFolder {
  public:
    explicit LauncherFolder(const Configuration& configuration);
    // The launcher copied under another base name (`myapp`: myapp.exe on Windows),
    // which then reads the INI file of that name.
    LauncherFolder(const Configuration& configuration, std::string programName);
    // The launcher placed in a folder of that name inside the test's folder.
    LauncherFolder(const Configuration& configuration, std::string programName,
                   const std::string& subfolder);

    const Configuration& configuration() const { return configuration_; }
    const std::filesystem::path& path() const { return root_; }

    // The Windows launcher of the folder becomes the windowed one (launcherw.exe).
    void useWindowedLauncher() const;
    // Writes the launcher's main INI file (lines are joined with CR LF).
    void writeIni(const std::string& content) const;
    void writeIni(const testing::ApplicationIni& ini) const { writeIni(ini.text()); }
    // A runtime home holding the test JVM (variant "default", "no-boot-loader", ...),
    // or the configuration's real JDK; returned in the launcher's path form.
    std::string installRuntime(const std::string& variant = "default") const;
    // A file of the folder, in the launcher's path form.
    std::string launcherPath(const std::string& relative) const;
    // The folder of the Java test applications (its Linux path).
    std::string testApplicationClasses() const;
    // That folder in the launcher's path form, for its class path.
    std::string applicationClassPath() const;

    // Runs the launcher with the arguments, exactly as given (the Windows command
    // line is quoted with the launcher's own rule: blanks and empty arguments in
    // quotes). `environment` is added to the inherited one.
    RunResult run(const std::vector<std::string>& arguments = {},
                  const std::map<std::string, std::string>& environment = {}) const;
    // Starts a Windows program under Wine in the build's prefix and returns at
    // once; its result is wine's.
    StartedRun startWindowsProgram(const std::string& program,
                                   const std::vector<std::string>& arguments) const;
    // Runs with a Windows command line after the program path, exactly as written.
    RunResult runCommandLine(const std::string& afterProgram,
                             const std::map<std::string, std::string>& environment = {}) const;

    // Starts the launcher without waiting for it. The record is not cleared, so
    // that runs going on together can share it.
    StartedRun start(const std::vector<std::string>& arguments, const std::string& tag,
                     const std::map<std::string, std::string>& environment = {}) const;
    // Waits, for two minutes at most, until the record holds `line` `times` times.
    bool waitForRecordLine(const std::string& line, size_t times = 1) const;
    // Linux runs from now on as that user (and group), from a root test; nothing:
    // as this process's own.
    void runAsUser(std::optional<uint32_t> user) { user_ = user; }

    // Runs start in `folder` instead of the launcher's own folder (empty: that one).
    void setWorkingFolder(std::filesystem::path folder) { workingFolder_ = std::move(folder); }

    // The lines the test JVM recorded during the last run.
    std::vector<std::string> record() const;
    std::vector<std::string> recorded(const std::string& key) const;
    // The recorded calls that begin with `prefix` ("FindClass testapp", ...).
    std::vector<std::string> recordedCalls(const std::string& prefix) const;

    // The exit code a process ending with `code` reports in this configuration.
    uint32_t exitCodeFor(int32_t code) const;
    // The launcher's error line as it appears on standard output.
    std::string errorLine(const std::string& text) const;

  private:
    RunResult runLinux(const std::vector<std::string>& arguments,
                       const std::map<std::string, std::string>& environment) const;
    RunResult runWindows(const std::string& commandLine,
                         const std::map<std::string, std::string>& environment) const;
    std::map<std::string, std::string>
    windowsEnvironment(const std::string& commandLine,
                       const std::map<std::string, std::string>& environment,
                       const std::string& exitCodeFile) const;
    std::filesystem::path executable() const;
    std::filesystem::path workingFolder() const;
    std::vector<std::string> linuxCommand(const std::vector<std::string>& arguments) const;

    Configuration configuration_;
    std::string programName_ = "launcher";
    std::filesystem::path workingFolder_;
    std::optional<uint32_t> user_;
    testing::TestFolder folder_;
    std::filesystem::path root_ = folder_.path();
};

// The shared memory file of the Linux launcher's single-instance block in `folder`
// for this process's user.
std::filesystem::path instanceBlockFile(const LauncherFolder& folder);

// One key of the Wine prefix's registry, added for a test and removed with the
// keys above it that the test created.
class WineRegistration {
  public:
    WineRegistration(const std::string& key, const std::string& value, const std::string& type,
                     const std::string& data, bool bits32);
    ~WineRegistration();
    WineRegistration(const WineRegistration&) = delete;
    WineRegistration& operator=(const WineRegistration&) = delete;
    bool added() const { return added_; }

  private:
    int reg(std::vector<std::string> arguments) const;

    bool bits32_;
    std::string created_;
    bool added_ = false;
};

// Standard error without the warnings HotSpot 21 and later print under Wine 8,
// whose GetProcessGroupAffinity is a stub: one for each thread that asks, a
// number that varies from run to run.
std::string withoutWineAffinityWarnings(const std::string& errors);

// The Windows build whose launcher and test programs run under Wine.
std::filesystem::path windowsBuild();
// The Wine prefix of that build.
std::filesystem::path winePrefix();

// Ends the Wine session of the build's prefix, with every program in it, and
// starts a new one that stays up for the runs after it.
void restartWineSession();

// A configuration's name, as the parameterised tests show it.
inline std::string nameOf(const ::testing::TestParamInfo<Configuration>& info) {
    return info.param.name;
}

using testing::readFile;
using testing::windowsPathOf;

// The runtime's feature version from its release file; 0 without one.
int featureOf(const std::string& home);

// The text's lines, without the CR of a Windows program's line ends.
std::vector<std::string> linesOf(const std::string& text);

} // namespace launcher::e2e
