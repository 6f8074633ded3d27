// The JRE-not-found question: the Windows dialog under Wine on a virtual display,
// read back and driven from outside by tests/wine/dialog_probe, the launch in a
// window station without a display, and the Linux terminal prompt.
#include "e2e/launcher_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <signal.h>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace launcher::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kNotFound = "The Java Runtime Environment (JRE) was not found. Please  "
                              "download and install a JRE (minimum version 99.0) from:";

fs::path windowsRuntime() {
    return fs::path(LAUNCHER_WINDOWS_RUNTIMES_DIR) / "windows-jdk-25";
}

std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, separator);) {
        fields.push_back(field);
    }
    return fields;
}

// Runs a shell command line on the display, with the build's Wine prefix; what it
// printed on standard output (its errors go to the test's own).
testing::ProcessResult onDisplay(const std::string& display, const std::string& command,
                                 const std::string& caption = "") {
    std::map<std::string, std::string> environment = testing::wineEnvironment(winePrefix());
    environment["DISPLAY"] = display;
    if (!caption.empty()) {
        environment["LAUNCHER_PROBE_CAPTION"] = caption; // the dialog the probe reads
    }
    return testing::runProcess(
        {.arguments = {"/bin/sh", "-c", command}, .environment = environment, .errors = ""});
}

// An X server of the test's own, and a Wine session whose desktop lives on it.
class VirtualDisplay : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        for (int number = 90 + getpid() % 50; number < 200 && !server; ++number) {
            if (fs::exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
                fs::exists("/tmp/.X" + std::to_string(number) + "-lock")) {
                continue;
            }
            display = ":" + std::to_string(number);
            try {
                server.emplace(
                    testing::ProcessOptions{.arguments = {"/usr/bin/Xvfb", display, "-screen", "0",
                                                          "1024x768x24", "-nolisten", "tcp"},
                                            .output = "",
                                            .errors = "/dev/null"});
            } catch (const std::runtime_error&) {
                break; // no virtual display: each test says so
            }
            fs::path socket = "/tmp/.X11-unix/X" + std::to_string(number);
            auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (!fs::exists(socket) && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        // Wine's desktop process belongs to the display of the first program of a
        // session that shows a window: a fresh session puts it on this display.
        restartWineSession();
    }
    static void TearDownTestSuite() {
        // The desktop must not outlive this display in the session the later tests use.
        restartWineSession();
        if (server) {
            server->end(SIGTERM);
            server.reset();
        }
    }
    void SetUp() override {
        if (!fs::exists(windowsBuild() / "tests" / "dialog_probe.exe") ||
            !fs::exists(windowsRuntime() / "bin" / "server" / "jvm.dll")) {
            GTEST_SKIP() << "needs the Windows build and build/runtimes/windows-jdk-25";
        }
        ASSERT_TRUE(server) << "no virtual display";
    }

    // Runs dialog_probe with the arguments; its output lines.
    // `caption` names the dialog to read when it is not the launcher's own.
    std::vector<std::string> probe(const std::string& arguments,
                                   const std::string& caption = "") const {
        return linesOf(onDisplay(display,
                                 "wine '" +
                                     (windowsBuild() / "tests" / "dialog_probe.exe").string() +
                                     "' " + arguments,
                                 caption)
                           .output);
    }

    // Chooses the folder in the dialog's folder browser. Wine's browser now and
    // then drops a selection that arrives while it still fills its tree and stays
    // on the desktop; the choice is made again then, three times at most.
    std::vector<std::string> browseTo(const std::string& folder) const {
        std::vector<std::string> lines;
        for (int attempt = 0; attempt < 3; ++attempt) {
            lines = probe("browse '" + folder + "'");
            if (field(lines, "edit") == folder) {
                break;
            }
        }
        return lines;
    }

    // The value after "key|" of the probe's output.
    static std::string field(const std::vector<std::string>& lines, const std::string& key) {
        for (const std::string& line : lines) {
            if (line.rfind(key + "|", 0) == 0) {
                return line.substr(key.size() + 1);
            }
        }
        return "<no " + key + ">";
    }

    // A launcher folder whose INI names no runtime that exists.
    std::unique_ptr<LauncherFolder> launcherWithoutRuntime(const std::string& extra = "") {
        auto folder = std::make_unique<LauncherFolder>(
            Configuration{"Windows_jdk_25", Target::Windows, windowsRuntime().string()});
        folder->writeIni({.product = "Product Name=DialogTest\nProduct Code=" +
                                     folder->path().filename().string(),
                          .jre = "Main Class=testapp.PrintArgs\nJRE Path=" +
                                 folder->launcherPath("no-runtime") + "\nMinimum Version=99",
                          .classPath = folder->applicationClassPath(),
                          .application = extra});
        return folder;
    }

    std::future<RunResult> start(const LauncherFolder& folder) const {
        return std::async(std::launch::async, [&folder] {
            return folder.run({"picked"}, {{"DISPLAY", display}});
        });
    }

    static inline std::optional<testing::Process> server;
    static inline std::string display;
};

long dialogUnits(long value, long base, long per) {
    return (value * base + per / 2) / per; // MulDiv, for the positive values here
}

TEST_F(VirtualDisplay, TheDialogShowsItsTemplateAndCancelEndsTheLaunch) {
    auto folder = launcherWithoutRuntime();
    std::future<RunResult> run = start(*folder);
    std::vector<std::string> tree = probe("tree");
    ASSERT_NE(field(tree, "dialog"), "<no dialog>") << ::testing::PrintToString(tree);
    std::vector<std::string> dialog = split(field(tree, "dialog"), '|');
    std::vector<std::string> base = split(field(tree, "base"), '|');
    ASSERT_EQ(dialog.size(), 3u);
    ASSERT_EQ(base.size(), 2u);
    long bx = std::stol(base[0]), by = std::stol(base[1]);
    EXPECT_EQ(dialog[0], "JRE Not Found");
    unsigned long style = std::stoul(dialog[1], nullptr, 16);
    const unsigned long popup = 0x80000000, caption = 0x00C00000, sysmenu = 0x00080000,
                        modalFrame = 0x80;
    EXPECT_EQ(style & (popup | caption | sysmenu | modalFrame),
              popup | caption | sysmenu | modalFrame)
        << dialog[1];
    EXPECT_EQ(dialog[2], std::to_string(dialogUnits(219, bx, 4)) + "," +
                             std::to_string(dialogUnits(145, by, 8)));

    struct Control {
        int id;
        std::string windowClass, text;
        unsigned long styleMask, style; // the bits that make its kind
        long x, y, width, height;
    };
    const unsigned long tabStop = 0x10000, group = 0x20000, border = 0x800000;
    const std::vector<Control> expected = {
        {1, "Button", "OK", 0xF | tabStop, 0x1 | tabStop, 107, 122, 50, 14},
        {2, "Button", "Cancel", 0xF | tabStop, 0x0 | tabStop, 161, 122, 50, 14},
        {201, "Edit", "", 0x880 | tabStop, 0x880 | tabStop, 60, 89, 94, 14},
        {-1, "Static", "JRE Path:", 0xFF | group, 0x0 | group, 12, 92, 45, 8},
        {202, "Button", "Browse...", 0xF | tabStop, 0x0 | tabStop, 157, 89, 50, 14},
        {-1, "Button", "Missing JRE", 0xF, 0x7, 8, 11, 203, 103},
        {204, "Static", "", 0x1F, 0x3, 16, 24, 20, 20},
        {203, "Static", kNotFound, 0xFF | group, 0x0 | group, 42, 24, 149, 24},
        {205, "Static", "https://adoptium.net/", 0xFF | group, 0x0 | group, 44, 55, 75, 8},
        {206, "Static", "If you have a JRE installed you can browse for it below:", 0xFF | group,
         0x0 | group, 12, 73, 195, 8},
    };
    std::vector<std::vector<std::string>> controls;
    for (const std::string& line : tree) {
        if (line.rfind("control|", 0) == 0) {
            controls.push_back(split(line, '|'));
        }
    }
    ASSERT_EQ(controls.size(), expected.size()) << ::testing::PrintToString(tree);
    for (size_t i = 0; i < expected.size(); ++i) {
        const Control& want = expected[i];
        const std::vector<std::string>& got = controls[i];
        SCOPED_TRACE(want.text);
        ASSERT_GE(got.size(), 8u);
        EXPECT_EQ(std::stoi(got[1]), want.id);
        EXPECT_TRUE(strcasecmp(got[2].c_str(), want.windowClass.c_str()) == 0) << got[2];
        if (want.id == 204) {
            // An icon control takes the size of its icon; only its place is the template's.
            EXPECT_EQ(got[5].substr(0, got[5].find(',', got[5].find(',') + 1)),
                      std::to_string(dialogUnits(want.x, bx, 4)) + "," +
                          std::to_string(dialogUnits(want.y, by, 8)));
            continue;
        }
        EXPECT_EQ(got[3], want.text);
        EXPECT_EQ(std::stoul(got[4], nullptr, 16) & want.styleMask, want.style) << got[4];
        std::string rectangle = std::to_string(dialogUnits(want.x, bx, 4)) + "," +
                                std::to_string(dialogUnits(want.y, by, 8)) + "," +
                                std::to_string(dialogUnits(want.width, bx, 4)) + "," +
                                std::to_string(dialogUnits(want.height, by, 8));
        EXPECT_EQ(got[5], rectangle);
        // OK waits for a folder with a JVM library.
        EXPECT_EQ(got[7], want.id == 1 ? "0" : "1");
        if (want.id == 201) {
            // The dialog turns a bordered edit's border into the sunken client edge.
            const unsigned long clientEdge = 0x200;
            ASSERT_GE(got.size(), 9u);
            EXPECT_TRUE((std::stoul(got[4], nullptr, 16) & border) != 0 ||
                        (std::stoul(got[8], nullptr, 16) & clientEdge) != 0)
                << got[4] << " " << got[8];
        }
    }

    probe("press 2");
    RunResult result = run.get();
    EXPECT_EQ(result.exitCode, folder->exitCodeFor(-1)) << result.output;
    EXPECT_EQ(result.output, "");
}

TEST_F(VirtualDisplay, OkWaitsForAJvmLibraryThenStartsAndTheChoiceIsKept) {
    auto folder = launcherWithoutRuntime();
    std::string home = windowsPathOf(windowsRuntime());
    std::future<RunResult> run = start(*folder);
    struct {
        std::string folder;
        std::string ok;
    } steps[] = {{"C:\\windows", "0"}, {home, "1"}, {"C:\\windows\\system32", "0"}, {home, "1"}};
    bool titled = false;
    for (const auto& step : steps) {
        std::vector<std::string> lines = browseTo(step.folder);
        titled =
            titled || field(lines, "browser").find("Browse for JRE folder") != std::string::npos;
        EXPECT_EQ(field(lines, "edit"), step.folder) << ::testing::PrintToString(lines);
        EXPECT_EQ(field(lines, "ok"), step.ok) << step.folder;
    }
    EXPECT_TRUE(titled) << "the browser shows message 214";
    probe("press 1");
    RunResult result = run.get();
    EXPECT_EQ(result.exitCode, 0u) << result.output << result.errors;
    EXPECT_NE(result.output.find("picked"), std::string::npos) << result.output;

    // The per-user file holds the choice; the next start needs no dialog.
    fs::path perUser = testing::wineUserFolder(winePrefix()) / "AppData" / "Roaming" /
                       "DialogTest" / folder->path().filename() / "launcher.ini";
    std::string content = readFile(perUser);
    EXPECT_NE(content.find("JRE Path=" + home + "\\"), std::string::npos)
        << perUser << ": " << content;
    RunResult again = folder->run({"again"}, {{"DISPLAY", display}});
    EXPECT_EQ(again.exitCode, 0u) << again.output;
    EXPECT_NE(again.output.find("again"), std::string::npos) << again.output;
    fs::remove_all(perUser.parent_path());
}

// Started from a console, a service-mode launcher shows the dialog too: that is how
// its main INI file gets its "JRE Path".
TEST_F(VirtualDisplay, AServiceLauncherKeepsTheChoiceInItsMainIni) {
    auto folder = launcherWithoutRuntime("Application Type=service");
    std::string home = windowsPathOf(windowsRuntime());
    std::future<RunResult> run = start(*folder);
    EXPECT_EQ(field(browseTo(home), "ok"), "1");
    probe("press 1");
    RunResult result = run.get();
    // The dispatcher refuses a process the service control manager did not start.
    EXPECT_EQ(result.exitCode, 1063u) << result.output;
    std::string content = readFile(folder->path() / "launcher.ini");
    EXPECT_NE(content.find("JRE Path=" + home + "\\"), std::string::npos) << content;
    EXPECT_EQ(content.find("JRE Path=" + folder->launcherPath("no-runtime")), std::string::npos);
}

TEST_F(VirtualDisplay, EscapeCancels) {
    auto folder = launcherWithoutRuntime();
    std::future<RunResult> run = start(*folder);
    ASSERT_NE(field(probe("tree"), "dialog"), "<no dialog>");
    std::string window =
        onDisplay(display, "xdotool search --name 'JRE Not Found' | head -n 1").output;
    ASSERT_FALSE(window.empty());
    window.pop_back();
    onDisplay(display, "xdotool windowfocus --sync " + window + " key Escape");
    RunResult result = run.get();
    EXPECT_EQ(result.exitCode, folder->exitCodeFor(-1));
    EXPECT_EQ(result.output, "");
}

// Pixels of the virtual screen in a rectangle, as R, G, B bytes.
std::string screenPixels(const std::string& display, long x, long y, long width, long height,
                         const fs::path& folder) {
    fs::path shot = folder / "screen.png";
    onDisplay(display, "import -window root '" + shot.string() + "'");
    return onDisplay(display, "convert '" + shot.string() + "' -crop " + std::to_string(width) +
                                  "x" + std::to_string(height) + "+" + std::to_string(x) + "+" +
                                  std::to_string(y) + " +repage -depth 8 rgb:-")
        .output;
}

size_t pixelsOf(const std::string& pixels, unsigned char r, unsigned char g, unsigned char b) {
    size_t count = 0;
    for (size_t at = 0; at + 2 < pixels.size(); at += 3) {
        if (static_cast<unsigned char>(pixels[at]) == r &&
            static_cast<unsigned char>(pixels[at + 1]) == g &&
            static_cast<unsigned char>(pixels[at + 2]) == b) {
            ++count;
        }
    }
    return count;
}

TEST_F(VirtualDisplay, TheLinkIsDrawnInTheUsersAnchorColourWhenItIsValid) {
    const std::string key = "'HKCU\\Software\\Microsoft\\Internet Explorer\\Settings'";
    const std::string reg = "wine reg ";
    std::string before =
        onDisplay(display, reg + "query " + key + " /v 'Anchor Color' 2>/dev/null").output;
    struct {
        const char* value;
        bool green; // else the default blue
    } rows[] = {{"0,128,0", true}, {"0,128", false}, {"0,128,0,0,0,0", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        ASSERT_EQ(onDisplay(display, reg + "add " + key + " /v 'Anchor Color' /t REG_SZ /d '" +
                                         row.value + "' /f >/dev/null 2>&1")
                      .exitCode,
                  0);
        auto folder = launcherWithoutRuntime();
        std::future<RunResult> run = start(*folder);
        std::vector<std::string> tree = probe("tree");
        std::vector<std::string> link;
        for (const std::string& line : tree) {
            if (line.rfind("control|205|", 0) == 0) {
                link = split(split(line, '|').at(6), ',');
            }
        }
        ASSERT_EQ(link.size(), 4u) << ::testing::PrintToString(tree);
        std::string pixels = screenPixels(display, std::stol(link[0]), std::stol(link[1]),
                                          std::stol(link[2]), std::stol(link[3]), folder->path());
        ASSERT_FALSE(pixels.empty());
        // The underline is one solid row of the text colour.
        size_t green = pixelsOf(pixels, 0, 128, 0);
        size_t blue = pixelsOf(pixels, 0, 0, 255);
        EXPECT_GT(row.green ? green : blue, 20u) << green << " green, " << blue << " blue";
        EXPECT_EQ(row.green ? blue : green, 0u);
        probe("press 2");
        EXPECT_EQ(run.get().exitCode, folder->exitCodeFor(-1));
    }
    if (before.find("Anchor Color") == std::string::npos) {
        onDisplay(display, reg + "delete " + key + " /v 'Anchor Color' /f >/dev/null 2>&1");
    } else {
        std::string value = split(before.substr(before.find("REG_SZ") + 6), '\n')[0];
        value.erase(0, value.find_first_not_of(" \t"));
        value.erase(value.find_last_not_of(" \t\r") + 1);
        onDisplay(display, reg + "add " + key + " /v 'Anchor Color' /t REG_SZ /d '" + value +
                               "' /f >/dev/null 2>&1");
    }
}

#ifdef LAUNCHER_CURSOR_PROBE
// The pointer's cursor once `wanted` holds for it; what it is at the deadline otherwise.
std::string cursorOnce(const std::string& display,
                       const std::function<bool(const std::string&)>& wanted) {
    std::string cursor;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
        cursor = onDisplay(display, LAUNCHER_CURSOR_PROBE).output;
        if (wanted(cursor)) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return cursor;
}

// Wine shows a 1x1 blank cursor over a window whose thread has set none yet.
bool visible(const std::string& cursor) {
    return !cursor.empty() && cursor.rfind("1 1 ", 0) != 0;
}

TEST_F(VirtualDisplay, TheHandCursorShowsOnlyOverTheLinkText) {
    // Whatever the pointer showed before the dialog is no answer about the dialog.
    std::string before = cursorOnce(display, [](const std::string&) { return true; });
    auto folder = launcherWithoutRuntime();
    std::future<RunResult> run = start(*folder);
    std::vector<std::string> tree = probe("tree");
    std::vector<std::string> link, hint;
    for (const std::string& line : tree) {
        if (line.rfind("control|205|", 0) == 0) {
            link = split(split(line, '|').at(6), ',');
        }
        if (line.rfind("control|206|", 0) == 0) {
            hint = split(split(line, '|').at(6), ',');
        }
    }
    ASSERT_EQ(link.size(), 4u) << ::testing::PrintToString(tree);
    ASSERT_EQ(hint.size(), 4u);
    auto moveTo = [this](long x, long y) {
        onDisplay(display, "xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
    };
    long x = std::stol(link[0]), y = std::stol(link[1]), width = std::stol(link[2]),
         height = std::stol(link[3]);
    // Over plain text of the dialog: the arrow.
    moveTo(std::stol(hint[0]) + 5, std::stol(hint[1]) + std::stol(hint[3]) / 2);
    std::string arrow =
        cursorOnce(display, [&](const std::string& now) { return visible(now) && now != before; });
    ASSERT_TRUE(visible(arrow) && arrow != before) << "no cursor of the dialog's own: " << arrow;
    auto other = [&](const std::string& now) {
        return visible(now) && now != arrow;
    };
    auto same = [&](const std::string& now) {
        return now == arrow;
    };
    moveTo(x + 3, y + height / 2);
    std::string overText = cursorOnce(display, other);
    EXPECT_TRUE(other(overText)) << "no hand over the link text: " << overText;
    // The control reaches past the end of its text; there the arrow comes back.
    moveTo(x + width - 1, y + height / 2);
    EXPECT_EQ(cursorOnce(display, same), arrow) << "a hand past the text";
    moveTo(x + 3, y + height / 2);
    EXPECT_EQ(cursorOnce(display, other), overText);
    probe("press 2");
    EXPECT_EQ(run.get().exitCode, folder->exitCodeFor(-1));
}
#endif

// A press on the link released beside it opens nothing but leaves the focus on
// the link; Space or Enter then opens it, and the link turns to the visited colour.
TEST_F(VirtualDisplay, SpaceOrEnterOpensTheFocusedLinkAndItTurnsVisited) {
    for (const char* key : {"space", "Return"}) {
        SCOPED_TRACE(key);
        auto folder = launcherWithoutRuntime();
        std::future<RunResult> run = start(*folder);
        std::vector<std::string> tree = probe("tree");
        std::vector<std::string> link;
        for (const std::string& line : tree) {
            if (line.rfind("control|205|", 0) == 0) {
                link = split(split(line, '|').at(6), ',');
            }
        }
        ASSERT_EQ(link.size(), 4u) << ::testing::PrintToString(tree);
        long x = std::stol(link[0]), y = std::stol(link[1]), width = std::stol(link[2]),
             height = std::stol(link[3]);
        auto xdotool = [this](const std::string& arguments) {
            onDisplay(display, "xdotool " + arguments);
        };
        auto visitedPixels = [&] {
            return pixelsOf(screenPixels(display, x, y, width, height, folder->path()), 128, 0,
                            128);
        };
        xdotool("mousemove " + std::to_string(x + 3) + " " + std::to_string(y + height / 2) +
                " mousedown 1 mousemove " + std::to_string(x + 3) + " " +
                std::to_string(y + height * 3) + " mouseup 1");
        // Let the dialog handle the press before looking.
        probe("tree");
        EXPECT_EQ(visitedPixels(), 0u) << "released outside, yet opened";
        xdotool(std::string("key ") + key);
        size_t visited = 0;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while ((visited = visitedPixels()) <= 20 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_GT(visited, 20u) << "the key did not open the link";
        probe("press 2");
        EXPECT_EQ(run.get().exitCode, folder->exitCodeFor(-1));
    }
}

// A service's window station has no display: the text is printed, nobody waits.
TEST_F(VirtualDisplay, WithoutAVisibleWindowStationTheTextIsPrinted) {
    auto folder = launcherWithoutRuntime();
    RunResult result = folder->run(
        {}, {{"DISPLAY", display}, {"LAUNCHER_PROBE_HIDDEN_STATION", "LauncherTestStation"}});
    EXPECT_EQ(result.exitCode, folder->exitCodeFor(-1)) << result.errors;
    EXPECT_EQ(result.output, folder->errorLine(kNotFound));
}

// The Java exception dialog on a real runtime: its template, the captured text in
// its edit box, Ignore going on (the VM reports the exception as usual, and the
// launch ends with 1, as java does)
// and Stop ending the application through System.exit(-1).
TEST_F(VirtualDisplay, TheExceptionDialogShowsTheTextAndItsAnswerCounts) {
    const struct {
        int button;
        int32_t exitCode;
    } answers[] = {{1, 1}, {2, -1}};
    for (const auto& answer : answers) {
        SCOPED_TRACE(answer.button == 1 ? "Ignore" : "Stop");
        LauncherFolder folder(
            Configuration{"Windows_jdk_25", Target::Windows, windowsRuntime().string()});
        folder.writeIni(
            {.jre = "Main Class=testapp.Throw\nJRE Path=" + windowsPathOf(windowsRuntime()),
             .classPath = folder.applicationClassPath(),
             .application = "Failure Check=Yes"});
        std::future<RunResult> run = start(folder);
        std::vector<std::string> tree = probe("tree", "Java Exception");
        std::vector<std::string> text = probe("text 208", "Java Exception");
        probe("press " + std::to_string(answer.button), "Java Exception");
        RunResult result = run.get();

        std::vector<std::string> dialog = split(field(tree, "dialog"), '|');
        ASSERT_EQ(dialog.size(), 3u) << ::testing::PrintToString(tree);
        EXPECT_EQ(dialog[0], "Java Exception");
        unsigned long style = std::stoul(dialog[1], nullptr, 16);
        const unsigned long popup = 0x80000000, caption = 0x00C00000, sysmenu = 0x00080000,
                            thickFrame = 0x00040000;
        EXPECT_EQ(style & (popup | caption | sysmenu | thickFrame),
                  popup | caption | sysmenu | thickFrame)
            << dialog[1];
        std::vector<std::string> base = split(field(tree, "base"), '|');
        ASSERT_EQ(base.size(), 2u);
        long bx = std::stol(base[0]), by = std::stol(base[1]);
        EXPECT_EQ(dialog[2], std::to_string(dialogUnits(275, bx, 4)) + "," +
                                 std::to_string(dialogUnits(242, by, 8)));
        const struct {
            int id;
            std::string windowClass, text;
            long x, y, width, height;
        } controls[] = {
            {209, "Button", "Uncaught Exception", 8, 11, 259, 221},
            {204, "Static", "", 16, 26, 20, 20},
            {210, "Static", "The java process has thrown the following uncaught exception:", 42, 28,
             217, 16},
            {211, "Static",
             "Press Ignore to continue and ignore the exception or press Stop to close the "
             "application.",
             16, 164, 243, 18},
            {212, "Static",
             "WARNING: If you choose to Stop the application any unsaved data will be lost.", 16,
             187, 243, 18},
            {1, "Button", "Ignore", 153, 210, 50, 14},
            {2, "Button", "Stop", 209, 210, 50, 14},
            {208, "Edit", "", 16, 54, 243, 102},
        };
        for (const auto& control : controls) {
            std::string found;
            for (const std::string& line : tree) {
                if (line.rfind("control|" + std::to_string(control.id) + "|", 0) == 0) {
                    found = line;
                }
            }
            ASSERT_FALSE(found.empty()) << control.id;
            std::vector<std::string> parts = split(found, '|');
            ASSERT_GE(parts.size(), 6u) << found;
            EXPECT_EQ(parts[2], control.windowClass) << found;
            if (control.id == 204) {
                // An icon control takes the icon's own size, and its text names the icon.
                EXPECT_EQ(parts[5].rfind(std::to_string(dialogUnits(control.x, bx, 4)) + "," +
                                             std::to_string(dialogUnits(control.y, by, 8)) + ",",
                                         0),
                          0u)
                    << found;
                continue;
            }
            if (control.id != 208) {
                EXPECT_EQ(parts[3], control.text) << found;
            }
            EXPECT_EQ(parts[5], std::to_string(dialogUnits(control.x, bx, 4)) + "," +
                                    std::to_string(dialogUnits(control.y, by, 8)) + "," +
                                    std::to_string(dialogUnits(control.width, bx, 4)) + "," +
                                    std::to_string(dialogUnits(control.height, by, 8)))
                << found;
        }
        std::string shown = field(text, "text");
        EXPECT_EQ(shown.rfind("java.lang.IllegalStateException: thrown by main\\r\\n", 0), 0u)
            << shown;
        EXPECT_NE(shown.find("\tat testapp.Throw.main(Throw.java:"), std::string::npos) << shown;

        EXPECT_EQ(result.exitCode, folder.exitCodeFor(answer.exitCode)) << result.errors;
        // Ignore leaves the exception to the VM, which reports it as it always does.
        EXPECT_EQ(result.errors.find("Exception in thread \"main\"") != std::string::npos,
                  answer.button == 1)
            << result.errors;
    }
}

// The windowed launcher as Explorer starts it: no console, no standard handles.
class WindowedLauncher : public VirtualDisplay {
  protected:
    WindowedLauncher()
        : folder(Configuration{"Windows_jdk_25", Target::Windows, windowsRuntime().string()}) {
        folder.useWindowedLauncher();
    }

    std::future<RunResult> startWithoutHandles(const std::vector<std::string>& arguments = {}) {
        return std::async(std::launch::async, [this, arguments] {
            return folder.run(arguments,
                              {{"DISPLAY", display}, {"LAUNCHER_PROBE_NO_STANDARD_HANDLES", "1"}});
        });
    }

    LauncherFolder folder;
};

// Its one error is a message box, OK ends the launch with -1; given a file as
// standard output, it writes the line there instead and shows nothing.
TEST_F(WindowedLauncher, AnErrorIsABoxUnlessStandardOutputIsRedirected) {
    const std::string text = "Main class was not specified in INI file.";
    folder.writeIni("[Java Runtime Environment]\n");
    std::future<RunResult> run = startWithoutHandles();
    std::vector<std::string> tree = probe("tree", "launcher");
    probe("press 1", "launcher");
    RunResult result = run.get();
    bool shown = std::any_of(tree.begin(), tree.end(), [&text](const std::string& line) {
        return line.rfind("control|", 0) == 0 && line.find("|Static|" + text + "|") != line.npos;
    });
    EXPECT_TRUE(shown) << ::testing::PrintToString(tree);
    EXPECT_EQ(result.exitCode, folder.exitCodeFor(-1));
    RunResult redirected = folder.run({}, {{"DISPLAY", display}});
    EXPECT_EQ(redirected.output, folder.errorLine(text));
    EXPECT_EQ(redirected.exitCode, folder.exitCodeFor(-1));
}

TEST_F(WindowedLauncher, TheSwingSampleShowsItsWindowAndEndsWithItsCode) {
    fs::create_directories(folder.path() / "lib");
    fs::copy_file(LAUNCHER_SAMPLE_JAR, folder.path() / "lib" / "hello.jar");
    fs::copy_file(fs::path(LAUNCHER_SAMPLE_JAR).parent_path() / "hello-window.jar",
                  folder.path() / "lib" / "hello-window.jar");
    folder.writeIni({.jre = "Main Class=com.example.hello.HelloWindow\nJRE Path=" +
                            windowsPathOf(windowsRuntime()),
                     .classPath = "\\lib\\*.jar"});
    std::future<RunResult> run = startWithoutHandles({"7"});
    std::vector<std::string> window = probe("close 'Hello Sample'");
    RunResult result = run.get();
    EXPECT_EQ(field(window, "window"), "SunAwtFrame|1") << ::testing::PrintToString(window);
    EXPECT_EQ(result.exitCode, 7u) << result.errors;
}

// Nobody reads the streams of a program without a console: writing them must
// neither block nor fail it.
TEST_F(WindowedLauncher, MegabytesOnStandardStreamsNobodyReadsDoNotStopTheProgram) {
    folder.writeIni({.jre = "Main Class=testapp.Flood\nJRE Path=" + windowsPathOf(windowsRuntime()),
                     .classPath = folder.applicationClassPath()});
    RunResult result = startWithoutHandles().get();
    EXPECT_EQ(result.exitCode, 0u) << result.errors;
    EXPECT_EQ(folder.recorded("flood"), std::vector<std::string>{"done"});
}

} // namespace
} // namespace launcher::e2e
