// The end-to-end harness: folders, runtimes and runs of both launchers.
#include "e2e/launcher_run.h"

#include "support/wine_environment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace launcher::e2e {

namespace fs = std::filesystem;

namespace {

constexpr int kRunTimeoutSeconds = 120;

bool windowsBuildRequired() {
    return std::getenv("LAUNCHER_REQUIRE_WINDOWS") != nullptr;
}

bool windowsBuildPresent() {
    return fs::exists(windowsBuild() / "launcher.exe") &&
           fs::exists(windowsBuild() / "tests" / "exit_code_probe.exe") &&
           fs::exists(windowsBuild() / "testjvm" / "default" / "jvm.dll");
}

fs::path windowsRuntimes() {
    return fs::path(LAUNCHER_WINDOWS_RUNTIMES_DIR);
}

bool windowsRuntimePresent(const fs::path& home) {
    return fs::exists(home / "bin" / "server" / "jvm.dll");
}

// The folders under build/runtimes that tests/e2e/windows_runtimes.txt pins, in its order.
std::vector<std::string> pinnedWindowsRuntimes() {
    std::ifstream list(LAUNCHER_WINDOWS_RUNTIMES_LIST);
    if (!list) {
        throw std::runtime_error("cannot read " + std::string(LAUNCHER_WINDOWS_RUNTIMES_LIST));
    }
    std::vector<std::string> folders;
    for (std::string line; std::getline(list, line);) {
        std::istringstream fields(line);
        std::string folder;
        if (fields >> folder && folder[0] != '#') {
            folders.push_back(folder);
        }
    }
    return folders;
}

// A test name part: letters and digits, everything else an underscore.
std::string configurationName(const std::string& prefix, std::string name) {
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return prefix + name;
}

// Each JDK once, even when several names under /usr/lib/jvm lead to it.
std::vector<std::string> installedJdks() {
    std::vector<std::string> homes;
    std::set<fs::path> seen;
    std::error_code error;
    std::vector<fs::path> candidates;
    for (const fs::directory_entry& entry : fs::directory_iterator("/usr/lib/jvm", error)) {
        candidates.push_back(entry.path());
    }
    std::sort(candidates.begin(), candidates.end());
    for (const fs::path& home : candidates) {
        if (!fs::exists(home / "lib" / "server" / "libjvm.so")) {
            continue;
        }
        fs::path real = fs::canonical(home, error);
        if (!error && seen.insert(real).second) {
            homes.push_back(real.string());
        }
    }
    return homes;
}

// The launcher's own splitting rule knows no escapes: quote what holds a blank or is empty.
std::string windowsCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        line += ' ';
        bool quote = argument.empty() || argument.find(' ') != std::string::npos;
        line += quote ? "\"" + argument + "\"" : argument;
    }
    return line;
}

// Starts argv with the environment added, standard output and error going to files.
testing::Process spawn(const std::vector<std::string>& argv,
                       const std::map<std::string, std::string>& extra, const fs::path& output,
                       const fs::path& errors, const fs::path& workingFolder) {
    return testing::Process({.arguments = argv,
                             .environment = extra,
                             .workingFolder = workingFolder,
                             .output = output,
                             .errors = errors});
}

// A hung launcher must fail its test, not the whole run.
int waitForExit(testing::Process& process, const std::string& program) {
    std::optional<int> status = process.wait(std::chrono::seconds(kRunTimeoutSeconds));
    if (!status) {
        process.end(SIGKILL);
        throw std::runtime_error(program + " did not end within the time limit");
    }
    return *status;
}

int spawnAndWait(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& extra, const fs::path& output,
                 const fs::path& errors, const fs::path& workingFolder) {
    testing::Process process = spawn(argv, extra, output, errors, workingFolder);
    return waitForExit(process, argv[0]);
}

int wineServer(const std::string& option) {
    return testing::runProcess({.arguments = {"wineserver", option},
                                .environment = testing::wineEnvironment(winePrefix()),
                                .output = "/dev/null"})
        .exitCode;
}

// One Wine session for all the Windows runs: each run then starts in a server that
// is already up instead of racing one that is shutting down (wine then ends with 1
// and says nothing).
class WineSession : public ::testing::Environment {
  public:
    void SetUp() override {
        if (windowsBuildPresent()) {
            started_ = wineServer("-p") == 0;
        }
    }
    void TearDown() override {
        if (started_) {
            wineServer("-k");
        }
    }

  private:
    bool started_ = false;
};

const ::testing::Environment* const wineSession =
    ::testing::AddGlobalTestEnvironment(new WineSession);

} // namespace

void restartWineSession() {
    wineServer("-k");
    wineServer("-w");
    wineServer("-p");
}

std::vector<Configuration> testJvmConfigurations() {
    std::vector<Configuration> configurations = {{"LinuxTestJvm", Target::Linux, ""}};
    if (windowsBuildPresent() || windowsBuildRequired()) {
        configurations.push_back({"WindowsTestJvm", Target::Windows, ""});
    }
    return configurations;
}

std::vector<Configuration> realJvmConfigurations() {
    std::vector<Configuration> configurations;
    for (const std::string& home : installedJdks()) {
        configurations.push_back(
            {configurationName("Linux_", fs::path(home).filename().string()), Target::Linux, home});
    }
    if (windowsBuildPresent() || windowsBuildRequired()) {
        for (const std::string& folder : pinnedWindowsRuntimes()) {
            fs::path home = windowsRuntimes() / folder;
            // Where the Windows tests are required, a runtime that is missing must
            // fail its tests rather than drop out of the list.
            if (windowsRuntimePresent(home) || windowsBuildRequired()) {
                std::string shortName =
                    folder.rfind("windows-", 0) == 0 ? folder.substr(8) : folder;
                configurations.push_back(
                    {configurationName("Windows_", shortName), Target::Windows, home.string()});
            }
        }
    }
    return configurations;
}

std::vector<Configuration> onTarget(const std::vector<Configuration>& all, Target target) {
    std::vector<Configuration> chosen;
    std::copy_if(all.begin(), all.end(), std::back_inserter(chosen),
                 [target](const Configuration& c) { return c.target == target; });
    return chosen;
}

std::vector<Configuration> windowsConfigurations(const std::vector<Configuration>& all) {
    return onTarget(all, Target::Windows);
}

std::vector<Configuration> allConfigurations() {
    std::vector<Configuration> all = testJvmConfigurations();
    for (Configuration& real : realJvmConfigurations()) {
        all.push_back(std::move(real));
    }
    return all;
}

fs::path windowsBuild() {
    return fs::path(LAUNCHER_WINDOWS_BUILD_DIR);
}

fs::path winePrefix() {
    return windowsBuild() / "wineprefix";
}

WineRegistration::WineRegistration(const std::string& key, const std::string& value,
                                   const std::string& type, const std::string& data, bool bits32)
    : bits32_(bits32) {
    // The highest key that does not exist yet is the one to remove afterwards.
    for (size_t at = key.find('\\', key.find("\\SOFTWARE\\") + 10);; at = key.find('\\', at + 1)) {
        std::string prefix = key.substr(0, at);
        if (reg({"query", prefix}) != 0) {
            created_ = prefix;
            break;
        }
        if (at == std::string::npos) {
            break;
        }
    }
    added_ = reg({"add", key, "/v", value, "/t", type, "/d", data, "/f"}) == 0;
}

WineRegistration::~WineRegistration() {
    if (!created_.empty()) {
        reg({"delete", created_, "/f"});
    }
}

int WineRegistration::reg(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {"wine", "reg"});
    if (bits32_) {
        arguments.push_back("/reg:32");
    }
    return testing::runProcess({.arguments = std::move(arguments),
                                .environment = testing::wineEnvironment(winePrefix()),
                                .output = "/dev/null"})
        .exitCode;
}

int featureOf(const std::string& home) {
    std::ifstream release(fs::path(home) / "release");
    std::string line;
    while (std::getline(release, line)) {
        if (line.rfind("JAVA_VERSION=\"", 0) == 0) {
            int major = std::atoi(line.c_str() + 14);
            return major == 1 ? std::atoi(line.c_str() + 16) : major;
        }
    }
    return 0;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

LauncherFolder::LauncherFolder(const Configuration& configuration)
    : LauncherFolder(configuration, "launcher") {}

LauncherFolder::LauncherFolder(const Configuration& configuration, std::string programName)
    : LauncherFolder(configuration, std::move(programName), "") {}

LauncherFolder::LauncherFolder(const Configuration& configuration, std::string programName,
                               const std::string& subfolder)
    : configuration_(configuration), programName_(std::move(programName)),
      root_(subfolder.empty() ? folder_.path() : folder_.path() / subfolder) {
    fs::create_directories(root_);
    fs::path source = configuration.target == Target::Windows ? windowsBuild() / "launcher.exe"
                                                              : fs::path(LAUNCHER_LINUX_BINARY);
    if (!fs::exists(source)) {
        throw std::runtime_error("no launcher at " + source.string());
    }
    if (configuration.target == Target::Windows && configuration.realJvm() &&
        !windowsRuntimePresent(configuration.jdkHome)) {
        throw std::runtime_error("no Windows runtime at " + configuration.jdkHome +
                                 " (scripts/setup unpacks it)");
    }
    fs::copy_file(source, executable());
}

fs::path instanceBlockFile(const LauncherFolder& folder) {
    std::string name = fs::canonical(folder.path() / "launcher").string();
    std::replace(name.begin(), name.end(), '/', '_');
    return fs::path("/dev/shm") / (name + "." + std::to_string(geteuid()));
}

void LauncherFolder::useWindowedLauncher() const {
    fs::copy_file(windowsBuild() / "launcherw.exe", executable(),
                  fs::copy_options::overwrite_existing);
}

fs::path LauncherFolder::executable() const {
    return path() /
           (configuration_.target == Target::Windows ? programName_ + ".exe" : programName_);
}

fs::path LauncherFolder::workingFolder() const {
    return workingFolder_.empty() ? path() : workingFolder_;
}

void LauncherFolder::writeIni(const std::string& content) const {
    std::string crlf;
    for (char c : content) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    std::ofstream(path() / (programName_ + ".ini"), std::ios::binary) << crlf;
}

std::string LauncherFolder::launcherPath(const std::string& relative) const {
    fs::path full = path() / relative;
    return configuration_.target == Target::Windows ? windowsPathOf(full) : full.string();
}

std::string LauncherFolder::installRuntime(const std::string& variant) const {
    if (configuration_.realJvm()) {
        return configuration_.target == Target::Windows ? windowsPathOf(configuration_.jdkHome)
                                                        : configuration_.jdkHome;
    }
    if (configuration_.target == Target::Windows) {
        fs::path target = path() / "jre" / "bin" / "server";
        fs::create_directories(target);
        fs::copy_file(windowsBuild() / "testjvm" / variant / "jvm.dll", target / "jvm.dll",
                      fs::copy_options::overwrite_existing);
    } else {
        fs::path target = path() / "jre" / "lib" / "server";
        fs::create_directories(target);
        fs::copy_file(fs::path(LAUNCHER_LINUX_TESTJVM_DIR) / variant / "libjvm.so",
                      target / "libjvm.so", fs::copy_options::overwrite_existing);
    }
    return launcherPath("jre");
}

std::string LauncherFolder::testApplicationClasses() const {
    return LAUNCHER_TESTAPP_CLASSES;
}

std::string LauncherFolder::applicationClassPath() const {
    return configuration_.target == Target::Windows ? windowsPathOf(LAUNCHER_TESTAPP_CLASSES)
                                                    : LAUNCHER_TESTAPP_CLASSES;
}

RunResult LauncherFolder::run(const std::vector<std::string>& arguments,
                              const std::map<std::string, std::string>& environment) const {
    if (configuration_.target == Target::Windows) {
        return runWindows(windowsCommandLine(arguments), environment);
    }
    return runLinux(arguments, environment);
}

RunResult
LauncherFolder::runCommandLine(const std::string& afterProgram,
                               const std::map<std::string, std::string>& environment) const {
    return runWindows(" " + afterProgram, environment);
}

RunResult LauncherFolder::runLinux(const std::vector<std::string>& arguments,
                                   const std::map<std::string, std::string>& environment) const {
    std::map<std::string, std::string> variables = environment;
    variables["TESTJVM_RECORD"] = (path() / "record.txt").string();
    std::vector<std::string> argv = linuxCommand(arguments);
    fs::remove(path() / "record.txt");
    RunResult result;
    result.exitCode = static_cast<uint32_t>(spawnAndWait(argv, variables, path() / "stdout.txt",
                                                         path() / "stderr.txt", workingFolder()));
    result.output = readFile(path() / "stdout.txt");
    result.errors = readFile(path() / "stderr.txt");
    return result;
}

StartedRun LauncherFolder::startWindowsProgram(const std::string& program,
                                               const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv = {"/usr/bin/wine", program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return StartedRun(Target::Linux,
                      spawn(argv, testing::wineEnvironment(winePrefix()),
                            path() / "stdout-program.txt", path() / "stderr-program.txt",
                            workingFolder()),
                      path(), "program");
}

bool waitForFile(const fs::path& file, int seconds) {
    for (int waited = 0; waited < seconds * 100; ++waited) {
        if (fs::exists(file)) {
            return true;
        }
        usleep(10000); // the file's appearance is the event; nothing announces it
    }
    return fs::exists(file);
}

RunResult LauncherFolder::runWindows(const std::string& commandLine,
                                     const std::map<std::string, std::string>& environment) const {
    if (!windowsBuildPresent()) {
        throw std::runtime_error("the Windows build is missing at " + windowsBuild().string());
    }
    std::map<std::string, std::string> variables =
        windowsEnvironment(commandLine, environment, "exit-code.txt");
    fs::remove(path() / "record.txt");
    fs::remove(path() / "exit-code.txt");
    std::vector<std::string> argv = {"/usr/bin/wine",
                                     (windowsBuild() / "tests" / "exit_code_probe.exe").string()};
    int probe = spawnAndWait(argv, variables, path() / "stdout.txt", path() / "stderr.txt",
                             workingFolder());
    RunResult result;
    result.output = readFile(path() / "stdout.txt");
    result.errors = readFile(path() / "stderr.txt");
    std::string code = readFile(path() / "exit-code.txt");
    if (probe != 0 || code.empty()) {
        throw std::runtime_error("the exit code probe failed (" + std::to_string(probe) +
                                 "): " + result.errors);
    }
    result.exitCode = static_cast<uint32_t>(std::stoul(code));
    return result;
}

std::map<std::string, std::string>
LauncherFolder::windowsEnvironment(const std::string& commandLine,
                                   const std::map<std::string, std::string>& environment,
                                   const std::string& exitCodeFile) const {
    std::map<std::string, std::string> variables = environment;
    variables["TESTJVM_RECORD"] = windowsPathOf(path() / "record.txt");
    variables["LAUNCHER_PROBE_COMMAND_LINE"] =
        "\"" + windowsPathOf(executable()) + "\"" + commandLine;
    variables["LAUNCHER_PROBE_RESULT"] = windowsPathOf(path() / exitCodeFile);
    variables.merge(testing::wineEnvironment(winePrefix()));
    return variables;
}

StartedRun LauncherFolder::start(const std::vector<std::string>& arguments, const std::string& tag,
                                 const std::map<std::string, std::string>& environment) const {
    fs::path output = path() / ("stdout-" + tag + ".txt");
    fs::path errors = path() / ("stderr-" + tag + ".txt");
    if (configuration_.target == Target::Windows) {
        if (!windowsBuildPresent()) {
            throw std::runtime_error("the Windows build is missing at " + windowsBuild().string());
        }
        std::string exitCodeFile = "exit-code-" + tag + ".txt";
        fs::remove(path() / exitCodeFile);
        std::vector<std::string> argv = {
            "/usr/bin/wine", (windowsBuild() / "tests" / "exit_code_probe.exe").string()};
        return StartedRun(
            Target::Windows,
            spawn(argv,
                  windowsEnvironment(windowsCommandLine(arguments), environment, exitCodeFile),
                  output, errors, workingFolder()),
            path(), tag);
    }
    std::map<std::string, std::string> variables = environment;
    variables["TESTJVM_RECORD"] = (path() / "record.txt").string();
    std::vector<std::string> argv = linuxCommand(arguments);
    return StartedRun(Target::Linux, spawn(argv, variables, output, errors, workingFolder()),
                      path(), tag);
}

std::vector<std::string>
LauncherFolder::linuxCommand(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv;
    if (user_) {
        std::string id = std::to_string(*user_);
        argv = {"setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups"};
    }
    argv.push_back(executable().string());
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}

bool LauncherFolder::waitForRecordLine(const std::string& line, size_t times) const {
    for (int waited = 0; waited < kRunTimeoutSeconds * 100; ++waited) {
        std::vector<std::string> lines = record();
        if (static_cast<size_t>(std::count(lines.begin(), lines.end(), line)) >= times) {
            return true;
        }
        usleep(10000);
    }
    return false;
}

StartedRun::StartedRun(Target target, testing::Process process, fs::path folder, std::string tag)
    : target_(target), process_(std::move(process)), folder_(std::move(folder)),
      tag_(std::move(tag)) {}

bool StartedRun::ended() const {
    return process_.ended();
}

void StartedRun::kill() {
    process_.end(SIGKILL);
}

void StartedRun::signal(int number) const {
    process_.signal(number);
}

RunResult StartedRun::finish() {
    int status = waitForExit(process_, "the run " + tag_);
    RunResult result;
    result.output = readFile(folder_ / ("stdout-" + tag_ + ".txt"));
    result.errors = readFile(folder_ / ("stderr-" + tag_ + ".txt"));
    if (target_ == Target::Linux) {
        result.exitCode = static_cast<uint32_t>(status);
        return result;
    }
    std::string code = readFile(folder_ / ("exit-code-" + tag_ + ".txt"));
    if (status != 0 || code.empty()) {
        throw std::runtime_error("the exit code probe failed (" + std::to_string(status) +
                                 "): " + result.errors);
    }
    result.exitCode = static_cast<uint32_t>(std::stoul(code));
    return result;
}

namespace {

// The test JVM writes "\\", "\n", "\r", "\t" and "\uXXXX" for characters that
// would break its lines.
std::string unescapeRecord(const std::string& text) {
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        char kind = text[++i];
        if (kind == 'u' && i + 4 < text.size()) {
            plain += static_cast<char>(std::stoi(text.substr(i + 1, 4), nullptr, 16));
            i += 4;
        } else {
            plain += kind == 'n' ? '\n' : kind == 'r' ? '\r' : kind == 't' ? '\t' : kind;
        }
    }
    return plain;
}

} // namespace

std::vector<std::string> LauncherFolder::record() const {
    std::vector<std::string> lines;
    std::istringstream in(readFile(path() / "record.txt"));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(unescapeRecord(line));
    }
    return lines;
}

std::vector<std::string> LauncherFolder::recordedCalls(const std::string& prefix) const {
    std::vector<std::string> calls;
    for (const std::string& call : recorded("call")) {
        if (call.rfind(prefix, 0) == 0) {
            calls.push_back(call);
        }
    }
    return calls;
}

std::vector<std::string> LauncherFolder::recorded(const std::string& key) const {
    std::vector<std::string> values;
    for (const std::string& line : record()) {
        if (line.rfind(key + "=", 0) == 0) {
            values.push_back(line.substr(key.size() + 1));
        }
    }
    return values;
}

uint32_t LauncherFolder::exitCodeFor(int32_t code) const {
    uint32_t full = static_cast<uint32_t>(code);
    return configuration_.target == Target::Windows ? full : (full & 0xFF);
}

std::string LauncherFolder::errorLine(const std::string& text) const {
    std::string line = "Error: " + text + " \n";
    if (configuration_.target != Target::Windows) {
        return line;
    }
    // Standard output is in text mode there: every line feed arrives as CR LF.
    std::string crlf;
    for (char c : line) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    return crlf;
}

std::string withoutWineAffinityWarnings(const std::string& errors) {
    std::istringstream lines(errors);
    std::string line, kept;
    while (std::getline(lines, line)) {
        if (line.find("Attempt to get process group affinity failed") == std::string::npos) {
            kept += line + "\n";
        }
    }
    return kept;
}

} // namespace launcher::e2e
