// The README's configuration reference matches the code key by key: the launcher
// traces every setting it reads (LAUNCHER_TRACE), a few starts take every path
// that reads settings, and the (section, key) pairs of the trace are compared
// with the rows of the README's reference table.
#include "e2e/launcher_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <utility>

namespace launcher::e2e {
namespace {

namespace fs = std::filesystem;

using SettingKey = std::pair<std::string, std::string>; // section, key
using SettingKeys = std::set<SettingKey>;

struct TraceEvent {
    std::string event;
    std::map<std::string, std::string> fields;
};

bool isBareValueCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           std::string_view("._/:+-").find(c) != std::string_view::npos;
}

// One trace line: "trace: <event> <field>=<value> ...", a value either bare or in
// double quotes with `"` and `\` escaped by a backslash. None for other lines
// and for lines that break the format.
std::optional<TraceEvent> parseTraceLine(const std::string& line) {
    constexpr std::string_view kPrefix = "trace: ";
    if (line.rfind(kPrefix, 0) != 0) {
        return std::nullopt;
    }
    size_t at = kPrefix.size();
    size_t blank = line.find(' ', at);
    TraceEvent event{line.substr(at, blank - at), {}};
    if (event.event.empty()) {
        return std::nullopt;
    }
    at = blank;
    while (at != std::string::npos && at < line.size()) {
        if (line[at] != ' ') {
            return std::nullopt;
        }
        ++at;
        size_t equals = line.find('=', at);
        if (equals == std::string::npos || equals == at) {
            return std::nullopt;
        }
        std::string name = line.substr(at, equals - at);
        std::string value;
        at = equals + 1;
        if (at < line.size() && line[at] == '"') {
            bool closed = false;
            for (++at; at < line.size(); ++at) {
                if (line[at] == '\\' && at + 1 < line.size()) {
                    value += line[++at];
                } else if (line[at] == '"') {
                    closed = true;
                    ++at;
                    break;
                } else {
                    value += line[at];
                }
            }
            if (!closed) {
                return std::nullopt;
            }
        } else {
            while (at < line.size() && isBareValueCharacter(line[at])) {
                value += line[at++];
            }
        }
        event.fields[name] = value;
    }
    return event;
}

// The (section, key) of every "setting" event in the trace text.
SettingKeys tracedSettings(const std::string& trace) {
    SettingKeys keys;
    for (const std::string& line : linesOf(trace)) {
        std::optional<TraceEvent> event = parseTraceLine(line);
        if (event && event->event == "setting") {
            keys.insert({event->fields["section"], event->fields["key"]});
        }
    }
    return keys;
}

// The cells of a table row, split at the bars that are not escaped (`\|`).
std::vector<std::string> tableCells(const std::string& row) {
    std::vector<std::string> cells;
    std::string cell;
    for (size_t i = 1; i < row.size(); ++i) {
        if (row[i] == '\\' && i + 1 < row.size() && row[i + 1] == '|') {
            cell += '|';
            ++i;
        } else if (row[i] == '|') {
            size_t first = cell.find_first_not_of(' ');
            size_t last = cell.find_last_not_of(' ');
            cells.push_back(first == std::string::npos ? std::string()
                                                       : cell.substr(first, last - first + 1));
            cell.clear();
        } else {
            cell += row[i];
        }
    }
    return cells;
}

// The (section, key) rows of the first table under the heading `heading` whose
// header row begins with "| Section | Key |".
SettingKeys documentedSettings(const std::string& markdown, const std::string& heading) {
    SettingKeys keys;
    std::vector<std::string> lines = linesOf(markdown);
    auto line = std::find(lines.begin(), lines.end(), heading);
    for (; line != lines.end(); ++line) {
        if (line->rfind("| Section | Key |", 0) == 0) {
            break;
        }
        if (line->rfind("#", 0) == 0 && *line != heading) {
            return keys; // the next section, without a table
        }
    }
    if (line == lines.end() || ++line == lines.end()) {
        return keys;
    }
    for (++line; line != lines.end() && line->rfind("|", 0) == 0; ++line) {
        std::vector<std::string> cells = tableCells(*line);
        if (cells.size() >= 2) {
            keys.insert({cells[0], cells[1]});
        }
    }
    return keys;
}

// The event names of the trace's table in the README: the backquoted names in the
// first cell of each row under the header "| event |".
std::set<std::string> documentedEvents(const std::string& markdown) {
    std::set<std::string> events;
    std::vector<std::string> lines = linesOf(markdown);
    auto line = std::find_if(lines.begin(), lines.end(), [](const std::string& text) {
        return text.rfind("| event |", 0) == 0;
    });
    if (line == lines.end() || ++line == lines.end()) {
        return events;
    }
    for (++line; line != lines.end() && line->rfind("|", 0) == 0; ++line) {
        std::string cell = tableCells(*line).front();
        for (size_t open = cell.find('`'); open != std::string::npos;
             open = cell.find('`', cell.find('`', open + 1) + 1)) {
            size_t close = cell.find('`', open + 1);
            if (close == std::string::npos) {
                break;
            }
            events.insert(cell.substr(open + 1, close - open - 1));
        }
    }
    return events;
}

std::set<std::string> tracedEvents(const std::string& trace) {
    std::set<std::string> events;
    for (const std::string& line : linesOf(trace)) {
        if (std::optional<TraceEvent> event = parseTraceLine(line)) {
            events.insert(event->event);
        }
    }
    return events;
}

std::string listed(const SettingKeys& keys) {
    std::string text;
    for (const auto& [section, key] : keys) {
        text += "\n  [" + section + "] " + key;
    }
    return text;
}

TEST(TraceLine, FieldsAreReadAsTheTraceWritesThem) {
    struct Case {
        std::string line;
        std::string event;
        std::map<std::string, std::string> fields;
    };
    const std::vector<Case> cases = {
        {R"(trace: setting section="Java Runtime Environment" key="Main Class" from=main value="a.B")",
         "setting",
         {{"section", "Java Runtime Environment"},
          {"key", "Main Class"},
          {"from", "main"},
          {"value", "a.B"}}},
        {R"(trace: setting section=Application key="Cmd" from=none value="")",
         "setting",
         {{"section", "Application"}, {"key", "Cmd"}, {"from", "none"}, {"value", ""}}},
        {R"(trace: setting section="Class Path" key="Class Path" from=plus value="C:\\lib\\*.jar;\"q\"")",
         "setting",
         {{"section", "Class Path"},
          {"key", "Class Path"},
          {"from", "plus"},
          {"value", "C:\\lib\\*.jar;\"q\""}}},
        {"trace: runtime home=/usr/lib/jvm/x-1.2+3:a",
         "runtime",
         {{"home", "/usr/lib/jvm/x-1.2+3:a"}}},
    };
    for (const Case& example : cases) {
        std::optional<TraceEvent> event = parseTraceLine(example.line);
        ASSERT_TRUE(event.has_value()) << example.line;
        EXPECT_EQ(event->event, example.event) << example.line;
        EXPECT_EQ(event->fields, example.fields) << example.line;
    }
}

TEST(TraceLine, OtherLinesAndBrokenOnesAreNoEvents) {
    for (const std::string& line :
         {std::string("Error: Main class was not specified in INI file."),
          std::string("trace:setting section=A"), std::string("trace: setting section=\"open"),
          std::string("trace: setting =x"), std::string("trace: ")}) {
        EXPECT_FALSE(parseTraceLine(line).has_value()) << line;
    }
}

TEST(TraceLine, OnlySettingEventsCount) {
    EXPECT_EQ(tracedSettings("trace: setting section=Application key=Cmd from=none value=\"\"\r\n"
                             "trace: runtime section=Application key=Other\n"
                             "Hello\n"
                             "trace: setting section=\"Class Path\" key=\"Class Path\" from=main "
                             "value=x.jar\n"),
              (SettingKeys{{"Application", "Cmd"}, {"Class Path", "Class Path"}}));
}

TEST(ReadmeTable, RowsOfTheTableUnderTheHeadingAreTheKeys) {
    const std::string markdown =
        "# Title\n"
        "| Section | Key | Meaning |\n| --- | --- | --- |\n"
        "| Elsewhere | Not This | before the heading |\n"
        "\n## Configuration reference\n\nSome text.\n\n"
        "| Section | Key | Default | Value | Example |\n"
        "| --- | --- | --- | --- | --- |\n"
        "| Product Information | Product Name | none | `\\| <` dropped | x |\n"
        "| Application | Cmd | no arguments | text | `Cmd=a` |\n"
        "\nAfter the table.\n"
        "| Section | Key |\n| --- | --- |\n| Later | Table |\n";
    EXPECT_EQ(documentedSettings(markdown, "## Configuration reference"),
              (SettingKeys{{"Product Information", "Product Name"}, {"Application", "Cmd"}}));
    EXPECT_EQ(tableCells("| a \\| b | c |"), (std::vector<std::string>{"a | b", "c"}));
    EXPECT_TRUE(documentedSettings(markdown, "## Missing").empty());
}

class ReadmeReference : public ::testing::TestWithParam<Configuration> {
  protected:
    ReadmeReference() : folder(GetParam()) {}

    // Runs the launcher with the trace going to a file, expecting it to end with
    // `exitCode`; the traced settings.
    SettingKeys tracedRun(const std::string& ini, std::map<std::string, std::string> environment,
                          uint32_t exitCode, std::string& trace) {
        fs::remove(folder.path() / "trace.txt");
        folder.writeIni(ini);
        environment["LAUNCHER_TRACE"] = folder.launcherPath("trace.txt");
        RunResult result = folder.run({"x"}, environment);
        trace = readFile(folder.path() / "trace.txt");
        EXPECT_EQ(result.exitCode, exitCode) << result.output << result.errors;
        EXPECT_FALSE(trace.empty())
            << "no trace written; output: " << result.output << result.errors;
        return tracedSettings(trace);
    }

    LauncherFolder folder;
};

INSTANTIATE_TEST_SUITE_P(TestJvm, ReadmeReference, ::testing::ValuesIn(testJvmConfigurations()),
                         nameOf);

// Three starts between them read every setting: a desktop start that gets as far
// as the VM (all keys but the service ones), a service start ("Omit Service Name",
// read only then), and a start whose per-user file holds "JRE Path".
TEST_P(ReadmeReference, TheReadmeDocumentsEveryKeyTheCodeReadsAndNoOther) {
    std::string runtime = folder.installRuntime();
    std::string common = "[Class Path]\nClass Path=" + folder.applicationClassPath() +
                         "\n[Java Runtime Environment]\nMain Class=testapp.PrintArgs\n";
    // The per-user file of a product of this folder alone: on Linux below a
    // configuration folder of the test's own, under Wine in the prefix's profile.
    const std::string productCode = folder.path().filename().string();
    const std::string product =
        "\n[Product Information]\nProduct Name=ReadmeReference\nProduct Code=" + productCode + "\n";
    testing::TestFolder settings;
    fs::path perUserFolder = (GetParam().target == Target::Windows
                                  ? testing::wineUserFolder(winePrefix()) / "AppData" / "Roaming"
                                  : settings.path()) /
                             "ReadmeReference" / productCode;
    std::map<std::string, std::string> environment = {
        {"XDG_CONFIG_HOME", settings.path().string()},
        {"LAUNCHER_RUNTIME_FOLDERS", folder.path().string()}};

    // A Windows service started outside the service manager ends after preparing.
    const uint32_t serviceExit = GetParam().target == Target::Windows ? 1063u : 0u;
    std::string trace;
    SettingKeys read = tracedRun(common + "JRE Path=" + runtime + product, environment, 0, trace);
    std::string desktopTrace = trace;
    std::string everyTrace = trace;
    for (const SettingKey& key :
         tracedRun(common + "JRE Path=" + runtime + "\n[Application]\nApplication Type=service\n",
                   environment, serviceExit, trace)) {
        read.insert(key);
    }
    everyTrace += trace;
    fs::create_directories(perUserFolder);
    std::ofstream(perUserFolder / "launcher.ini")
        << "[Java Runtime Environment]\r\nJRE Path=" << runtime << "\r\n";
    for (const SettingKey& key : tracedRun(common + product, environment, 0, trace)) {
        read.insert(key);
    }
    everyTrace += trace;
    fs::remove_all(perUserFolder);
    std::error_code notEmpty;
    fs::remove(perUserFolder.parent_path(), notEmpty); // only when nothing else is there
    EXPECT_NE(trace.find(" key=\"JRE Path\" from=per-user "), std::string::npos) << trace;

    SettingKeys documented = documentedSettings(
        readFile(fs::path(LAUNCHER_SOURCE_DIR) / "README.md"), "## Configuration reference");
    ASSERT_FALSE(documented.empty()) << "README.md has no reference table";
    SettingKeys undocumented, neverRead;
    std::set_difference(read.begin(), read.end(), documented.begin(), documented.end(),
                        std::inserter(undocumented, undocumented.end()));
    std::set_difference(documented.begin(), documented.end(), read.begin(), read.end(),
                        std::inserter(neverRead, neverRead.end()));
    EXPECT_TRUE(undocumented.empty())
        << "read by the code, missing from the README's reference:" << listed(undocumented);
    EXPECT_TRUE(neverRead.empty())
        << "in the README's reference, never read by the code:" << listed(neverRead)
        << "\ndesktop trace:\n"
        << desktopTrace;

    // Every event these starts wrote is explained in the README's trace table.
    std::set<std::string> explained =
        documentedEvents(readFile(fs::path(LAUNCHER_SOURCE_DIR) / "README.md"));
    for (const std::string& event : tracedEvents(everyTrace)) {
        EXPECT_TRUE(explained.count(event) == 1)
            << "the trace writes \"" << event << "\", which the README does not explain";
    }
}

} // namespace
} // namespace launcher::e2e
