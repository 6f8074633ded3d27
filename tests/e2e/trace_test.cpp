// The decision trace end to end: each mistake a new user makes shows its cause in
// the trace, on both launchers, and the trace leaves the start as it was.
#include "e2e/launcher_run.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <sys/stat.h>

namespace launcher::e2e {
namespace {

namespace fs = std::filesystem;

class Trace : public ::testing::TestWithParam<Configuration> {
  protected:
    Trace() : folder(GetParam()) {}

    bool windows() const { return GetParam().target == Target::Windows; }

    std::string mainClass() const {
        return GetParam().realJvm() ? "testapp.Properties" : "testapp.PrintArgs";
    }

    void writeIni(const std::string& jre, const std::string& classPath) const {
        folder.writeIni({.jre = jre, .classPath = classPath});
    }

    // The run with the trace going to a file of its own, and the lines it wrote.
    std::pair<RunResult, std::string> runTraced(std::map<std::string, std::string> environment,
                                                const std::vector<std::string>& arguments = {}) {
        fs::path file = folder.path() / "trace.log";
        fs::remove(file);
        environment["LAUNCHER_TRACE"] = windows() ? windowsPathOf(file) : file.string();
        RunResult result = folder.run(arguments, environment);
        return {result, readFile(file)};
    }

    LauncherFolder folder;
};

class TraceOnTestJvm : public Trace {};
INSTANTIATE_TEST_SUITE_P(TestJvm, TraceOnTestJvm, ::testing::ValuesIn(testJvmConfigurations()),
                         nameOf);

class TraceOnRealJvm : public Trace {};
INSTANTIATE_TEST_SUITE_P(RealJvm, TraceOnRealJvm, ::testing::ValuesIn(realJvmConfigurations()),
                         nameOf);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(TraceOnRealJvm);

// What a row sets up beyond the folder: its own environment, and anything it
// must keep until the run is over (a registry key).
struct Arrangement {
    std::map<std::string, std::string> environment;
    std::shared_ptr<void> keep;
};

struct FailureRow {
    const char* name;
    std::function<Arrangement(Trace&)> arrange;
    std::vector<std::string> causes; // each must be in the trace
};

// Test JVM homes registered where this target looks for runtimes: the Linux
// runtime folders, or a JDK 9 style key of Wine's registry.
Arrangement registerRuntimeOfVersion17(Trace& test, LauncherFolder& folder) {
    Arrangement arrangement;
    std::string home = folder.installRuntime();
    std::ofstream(folder.path() / "jre" / "release") << "JAVA_VERSION=\"17.0.1\"\n";
    if (test.GetParam().target == Target::Linux) {
        fs::create_directories(folder.path() / "runtimes");
        fs::create_directory_symlink(folder.path() / "jre", folder.path() / "runtimes" / "jre-17");
        arrangement.environment["LAUNCHER_RUNTIME_FOLDERS"] = (folder.path() / "runtimes").string();
    } else {
        auto key = std::make_shared<WineRegistration>("HKLM\\SOFTWARE\\JavaSoft\\JRE\\17",
                                                      "JavaHome", "REG_SZ", home, false);
        EXPECT_TRUE(key->added());
        arrangement.keep = key;
    }
    return arrangement;
}

// Linux runtime folders that hold nothing, so that the machine's own JDKs stay
// out of the search.
Arrangement noRegisteredRuntimes(LauncherFolder& folder) {
    fs::create_directories(folder.path() / "no-runtimes");
    return {{{"LAUNCHER_RUNTIME_FOLDERS", (folder.path() / "no-runtimes").string()}}, nullptr};
}

TEST_P(TraceOnTestJvm, EachMistakeShowsItsCause) {
    const std::string ini = "launcher.ini";
    const std::string library = windows() ? "bin/server/jvm.dll" : "lib/server/libjvm.so";
    const FailureRow rows[] = {
        {"NoIni",
         [](Trace&) { return Arrangement{}; },
         {"trace: ini file=main path=", "state=missing\n", "key=\"Main Class\" from=none",
          "trace: stop reason=no-main-class"}},
        {"UnreadableIni",
         [&](Trace&) {
             fs::create_directory(folder.path() / ini); // a folder cannot be read as a file
             return Arrangement{};
         },
         {"state=unreadable call=open error=", "trace: stop reason=no-main-class"}},
        {"NoMainClass",
         [&](Trace&) {
             writeIni("JRE Path=" + folder.installRuntime(), folder.applicationClassPath());
             return Arrangement{};
         },
         {"state=readable\n", "key=\"Main Class\" from=none value=\"\"",
          "trace: stop reason=no-main-class"}},
        {"NoRuntime",
         [&](Trace&) {
             writeIni("Main Class=" + mainClass() + "\nMinimum Version=99",
                      folder.applicationClassPath());
             return noRegisteredRuntimes(folder);
         },
         {"trace: runtime-requirements minimum=99.0 maximum=none",
          "trace: runtime-source source=jre-path home=\"\" result=not-set",
          "trace: runtime-source source=private", "result=no-runtime",
          "trace: stop reason=no-runtime"}},
        {"RuntimeOutsideTheBounds",
         [&](Trace& test) {
             writeIni("Main Class=" + mainClass() + "\nMaximum Version=11",
                      folder.applicationClassPath());
             return registerRuntimeOfVersion17(test, folder);
         },
         {"version=17.0.1", "result=above-maximum", "trace: stop reason=no-runtime"}},
        {"BrokenJvmLibrary",
         [&](Trace&) {
             // A whole image of the right kind that still cannot be loaded as the
             // VM: an x86 DLL in a 64-bit process, a program instead of a library.
             fs::path home = folder.path() / "broken";
             fs::create_directories((home / library).parent_path());
             fs::copy_file(windows() ? windowsBuild() / "tests/libraries/pe_image_x86.dll"
                                     : fs::path("/bin/true"),
                           home / library);
             writeIni("JRE Path=" + folder.launcherPath("broken") + "\nMain Class=" + mainClass(),
                      folder.applicationClassPath());
             return Arrangement{};
         },
         {"trace: runtime-source source=jre-path", "result=found", "trace: jvm-library-load path=",
          "result=failed call=", "reason=", "trace: exit code=-1 reason=jvm-library-not-loaded"}},
        {"EmptyClassPath",
         [&](Trace&) {
             writeIni("JRE Path=" + folder.installRuntime() + "\nMain Class=" + mainClass(),
                      "\\nothing\\*.jar");
             return Arrangement{};
         },
         {"trace: class-path-search entry=\"\\\\nothing\\\\*.jar\"", "matches=0\n",
          "trace: stop reason=empty-class-path",
          "trace: exit code=-1 reason=options-not-assembled"}},
    };
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::error_code ignored;
        fs::remove_all(folder.path() / ini, ignored);
        Arrangement arrangement = row.arrange(*this);
        RunResult plain = folder.run({}, arrangement.environment);
        auto [traced, trace] = runTraced(arrangement.environment);
        for (const std::string& cause : row.causes) {
            EXPECT_NE(trace.find(cause), std::string::npos) << cause << "\n" << trace;
        }
        // The trace changes nothing the user sees, and it is off unless asked for.
        EXPECT_EQ(traced.exitCode, plain.exitCode);
        EXPECT_EQ(traced.output, plain.output);
        EXPECT_EQ(plain.exitCode, folder.exitCodeFor(-1)) << plain.output;
        EXPECT_EQ(plain.errors.find("trace:"), std::string::npos) << plain.errors;
        EXPECT_EQ(traced.errors.find("trace:"), std::string::npos) << traced.errors;
    }
}

// A start that works, traced to the standard error: the runtime chosen, what
// the VM was given, and why the process ended.
// A trace file is only ever a regular file: a link at its name is not followed
// (the launcher may run with rights the link's author lacks), and a FIFO would
// hold the start until someone reads it. Either goes to standard error instead.
TEST_P(TraceOnTestJvm, ATraceFileIsAPlainFileOnly) {
    if (windows()) {
        GTEST_SKIP() << "links and FIFOs made here are Linux ones";
    }
    writeIni("JRE Path=" + folder.installRuntime() + "\nMain Class=testapp.PrintArgs",
             folder.applicationClassPath());
    fs::path target = folder.path() / "someone-elses.txt";
    std::ofstream(target) << "kept\n";
    fs::create_symlink(target, folder.path() / "link.log");
    ASSERT_EQ(mkfifo((folder.path() / "fifo.log").c_str(), 0600), 0);
    for (const char* name : {"link.log", "fifo.log"}) {
        RunResult result = folder.run({}, {{"LAUNCHER_TRACE", (folder.path() / name).string()}});
        EXPECT_EQ(result.exitCode, 0u) << name << result.output << result.errors;
        EXPECT_NE(result.errors.find("trace: trace-file-not-opened path="), std::string::npos)
            << name << ": " << result.errors;
    }
    EXPECT_EQ(readFile(target), "kept\n");
}

TEST_P(TraceOnRealJvm, AStartShowsTheRuntimeTheOptionsAndTheEnd) {
    writeIni("JRE Path=" + folder.installRuntime() + "\nMain Class=testapp.Properties" +
                 "\nVirtual Machine Parameters=-Dtraced=\"a b\"",
             folder.applicationClassPath());
    RunResult result = folder.run({"java.home"}, {{"LAUNCHER_TRACE", "1"}});
    ASSERT_EQ(result.exitCode, 0u) << result.output << result.errors;
    const std::string& trace = result.errors;
    for (const std::string& line : {
             std::string("trace: start executable="),
             std::string("trace: argument value=java.home\n"),
             std::string("trace: setting section=\"Java Runtime Environment\" key=\"JRE Path\" "
                         "from=main value="),
             std::string("trace: runtime-chosen library="),
             std::string("trace: jvm-library-load path="),
             std::string("trace: vm-option value=\"-Djava.class.path="),
             std::string("trace: vm-option value=\"-Dtraced=a b\"\n"),
             std::string("trace: vm-create result=0\n"),
             std::string("trace: main-call class=testapp/Properties arguments=1\n"),
             std::string("trace: exit code=0 reason=main-returned\n"),
         }) {
        EXPECT_NE(trace.find(line), std::string::npos) << line << "\n" << trace;
    }
    EXPECT_NE(result.output.find("java.home="), std::string::npos) << result.output;
}

} // namespace
} // namespace launcher::e2e
