// Everything is checked before anything is written; what is written goes to a
// folder of its own beside the output, renamed into place at the end.
#include "pack/application_folder.h"

#include "base/wide_string.h"
#include "config/ini_document.h"
#include "pack/launcher_stamp.h"
#include "pack/pack_error.h"
#include "pack/run_program.h"
#include "pack/zip_file.h"
#include "platform/file_system.h"
#include "platform/module_path.h"
#include "platform/process.h"
#include "platform/text.h"

#include <algorithm>
#include <fstream>
#include <iostream>
#include <set>

namespace launcher::pack {

namespace fs = std::filesystem;

namespace {

enum class LauncherKind { Windows, Linux };

struct Plan {
    explicit Plan(const PackOptions& given) : options(given) {}
    const PackOptions& options;
    LauncherKind kind = LauncherKind::Windows;
    std::string launcher;
    LauncherIdentity identity;
    std::vector<fs::path> jars;
    std::string iniText;
};

std::string readFile(const fs::path& path, const std::string& what) {
    std::ifstream in(path, std::ios::binary);
    if (!in || fs::is_directory(path)) {
        throw PackError(what + " " + path.string() + " cannot be read");
    }
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw PackError("cannot write " + path.string(), false);
    }
}

std::u16string u16(const std::string& utf8) {
    return std::u16string(platform::utf8ToWide(utf8).view());
}

void checkName(const std::string& name) {
    if (name.empty() || name.find_first_of("<>:\"/\\|?*") != std::string::npos ||
        name.back() == '.' || name.back() == ' ' ||
        std::any_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
        throw PackError("--name " + name +
                        " is no file name: leave out folders, < > : \" / \\ | ? * "
                        "and a dot or blank at the end");
    }
}

fs::path chosenLauncher(const PackOptions& options, const fs::path& toolFolder) {
    if (!options.launcher.empty()) {
        return options.launcher;
    }
    if (options.windowed) {
        return toolFolder / "launcherw.exe";
    }
    fs::path windows = toolFolder / "launcher.exe";
    return fs::exists(windows) ? windows : toolFolder / "launcher";
}

Version versionOption(const std::string& text, const char* option, const Version& fallback) {
    if (text.empty()) {
        return fallback;
    }
    std::optional<Version> version = parseVersion(text);
    if (!version) {
        throw PackError(std::string(option) + " " + text +
                        " is no version: up to four dotted numbers of 0 to 65535");
    }
    return *version;
}

// A version text holds no line break or other control character (Explorer shows
// each on one line).
void checkVersionText(const std::string& text, const char* option) {
    if (std::any_of(text.begin(), text.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
        throw PackError(std::string(option) + " holds a line break or another control character");
    }
}

void planIdentity(Plan& plan) {
    const PackOptions& options = plan.options;
    for (const auto& [text, option] : {std::pair{&options.company, "--company"},
                                       {&options.copyright, "--copyright"},
                                       {&options.description, "--description"},
                                       {&options.productName, "--product-name"}}) {
        checkVersionText(*text, option);
    }
    bool identityAsked = !options.icon.empty() || !options.fileVersion.empty() ||
                         !options.productVersion.empty() || !options.company.empty() ||
                         !options.copyright.empty() || !options.description.empty() ||
                         !options.executionLevel.empty();
    if (plan.kind == LauncherKind::Linux) {
        if (identityAsked) {
            throw PackError("the icon, version and execution level are for a Windows launcher; "
                            "the launcher given is a Linux one");
        }
        return;
    }
    if (!options.icon.empty()) {
        plan.identity.icon = readIconFile(readFile(options.icon, "the icon"));
    }
    if (!options.executionLevel.empty() &&
        std::none_of(std::begin(kExecutionLevels), std::end(kExecutionLevels),
                     [&options](const char* level) { return options.executionLevel == level; })) {
        throw PackError("--execution-level " + options.executionLevel +
                        " is none of asInvoker, highestAvailable, requireAdministrator");
    }
    plan.identity.executionLevel = options.executionLevel;
    VersionFields& version = plan.identity.version;
    version.fileVersion = versionOption(options.fileVersion, "--version", {1, 0, 0, 0});
    version.productVersion =
        versionOption(options.productVersion, "--product-version", version.fileVersion);
    std::string productName = options.productName.empty() ? options.name : options.productName;
    version.strings = {
        {u"CompanyName", u16(options.company)},
        {u"FileDescription", u16(options.description.empty() ? options.name : options.description)},
        {u"FileVersion", u16(versionText(version.fileVersion))},
        {u"InternalName", u16(options.name)},
        {u"LegalCopyright", u16(options.copyright)},
        {u"OriginalFilename", u16(options.name + ".exe")},
        {u"ProductName", u16(productName)},
        {u"ProductVersion", u16(versionText(version.productVersion))},
    };
}

// Each --jar names a file, or a pattern in its file name part.
std::vector<fs::path> expandJars(const std::vector<std::string>& patterns) {
    std::vector<fs::path> jars;
    for (const std::string& pattern : patterns) {
        fs::path path(pattern);
        std::string name = path.filename().string();
        if (name.find_first_of("*?") == std::string::npos) {
            if (!fs::is_regular_file(path)) {
                throw PackError("the jar " + pattern + " does not exist");
            }
            jars.push_back(path);
            continue;
        }
        fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
        size_t before = jars.size();
        std::error_code error;
        for (const auto& item : fs::directory_iterator(folder, error)) {
            if (item.is_regular_file() &&
                platform::matchesWildcard(u16(name), u16(item.path().filename().string()))) {
                jars.push_back(item.path());
            }
        }
        if (jars.size() == before) {
            throw PackError("no jar matches " + pattern);
        }
    }
    return jars;
}

// The class must be in one of the jars, or the folder would not start.
void checkMainClass(const std::string& mainClass, const std::vector<fs::path>& jars) {
    std::string entry = mainClass;
    std::replace(entry.begin(), entry.end(), '.', '/');
    entry += ".class";
    for (const fs::path& jar : jars) {
        std::vector<std::string> names;
        try {
            names = zipEntryNames(readFile(jar, "the jar"));
        } catch (const PackError& error) {
            throw PackError("the jar " + jar.string() + " " + error.what());
        }
        if (std::find(names.begin(), names.end(), entry) != names.end()) {
            return;
        }
    }
    throw PackError("the main class " + mainClass + " is in none of the jars");
}

std::string iniText(const Plan& plan) {
    const PackOptions& options = plan.options;
    IniDocument ini = IniDocument::parse(
        options.baseIni.empty() ? std::string() : readFile(options.baseIni, "the INI file"));
    auto set = [&ini](std::u16string_view section, std::u16string_view key,
                      const std::string& value) {
        if (!value.empty() && !ini.setValue(section, key, u16(value))) {
            throw PackError("the INI value of " + platform::wideToUtf8(key) + " cannot be written");
        }
    };
    set(u"Product Information", u"Product Name", options.productName);
    set(u"Product Information", u"Product Code", options.productCode);
    set(u"Java Runtime Environment", u"Main Class", options.mainClass);
    set(u"Java Runtime Environment", u"Virtual Machine Parameters", options.vmOptions);
    set(u"Java Runtime Environment", u"Minimum Version", options.minimumVersion);
    set(u"Java Runtime Environment", u"Maximum Version", options.maximumVersion);
    set(u"Java Runtime Environment", u"JVM Type", options.jvmType);
    set(u"Class Path", u"Class Path", "\\lib\\*.jar");
    WideString mainClass;
    if (!ini.getValue(u"Java Runtime Environment", u"Main Class", mainClass) || mainClass.empty()) {
        throw PackError("no main class: give --main, or an --ini that names one");
    }
    checkMainClass(platform::wideToUtf8(mainClass.view()), plan.jars);
    return ini.serialize();
}

void checkRuntimeInputs(const Plan& plan) {
    const PackOptions& options = plan.options;
    if (!options.runtime.empty() && !options.jlinkJdk.empty()) {
        throw PackError("give either --runtime or --jlink, not both");
    }
    const char* marker = plan.kind == LauncherKind::Windows ? "bin/java.dll" : "lib/libjava.so";
    if (!options.runtime.empty() && !fs::exists(options.runtime / marker)) {
        throw PackError("the runtime " + options.runtime.string() + " holds no " + marker +
                        ": not a runtime for this launcher");
    }
    if (!options.jlinkJdk.empty()) {
        bool windowsHost = fs::path("a/b").make_preferred().string() == "a\\b";
        bool foreign = (plan.kind == LauncherKind::Windows) != windowsHost;
        if (foreign && options.modulePath.empty()) {
            throw PackError("a runtime for the other system's launcher needs --module-path with "
                            "that system's jmods");
        }
    }
}

fs::path tool(const fs::path& jdk, const char* name) {
    fs::path program = jdk / "bin" / name;
    if (!fs::exists(program)) {
        program += ".exe";
    }
    if (!fs::exists(program)) {
        throw PackError("--jlink " + jdk.string() + " has no bin/" + name);
    }
    return program;
}

std::string modulesFor(const Plan& plan) {
    if (!plan.options.addModules.empty()) {
        return plan.options.addModules;
    }
    std::vector<std::string> command = {tool(plan.options.jlinkJdk, "jdeps").string(),
                                        "--print-module-deps", "--ignore-missing-deps"};
    for (const fs::path& jar : plan.jars) {
        command.push_back(jar.string());
    }
    ProgramResult found = runProgram(command);
    std::string modules = found.output.substr(0, found.output.find_first_of("\r\n"));
    if (found.exitCode != 0 || modules.empty()) {
        throw PackError("jdeps found no modules for the jars (exit code " +
                            std::to_string(found.exitCode) + "); give --add-modules",
                        false);
    }
    return modules;
}

// Links are followed, so that the copy holds what they name (a runtime of a Linux
// distribution links some files to /etc); a link that names nothing is left out.
void copyRuntime(const fs::path& from, const fs::path& to) {
    fs::create_directories(to);
    for (const auto& item :
         fs::recursive_directory_iterator(from, fs::directory_options::follow_directory_symlink)) {
        fs::path target = to / item.path().lexically_relative(from);
        std::error_code missing;
        fs::file_status status = fs::status(item.path(), missing);
        if (missing || !fs::exists(status)) {
            continue;
        }
        if (fs::is_directory(status)) {
            fs::create_directories(target);
        } else {
            fs::copy_file(item.path(), target, fs::copy_options::overwrite_existing);
        }
    }
}

void makeRuntime(const Plan& plan, const fs::path& stage) {
    const PackOptions& options = plan.options;
    fs::path target = stage / "jre64";
    if (!options.runtime.empty()) {
        copyRuntime(options.runtime, target);
    } else if (!options.jlinkJdk.empty()) {
        std::vector<std::string> command = {tool(options.jlinkJdk, "jlink").string(),
                                            "--add-modules",
                                            modulesFor(plan),
                                            "--output",
                                            target.string(),
                                            "--strip-debug",
                                            "--no-header-files",
                                            "--no-man-pages"};
        if (!options.modulePath.empty()) {
            command.insert(command.begin() + 1, {"--module-path", options.modulePath});
        }
        ProgramResult linked = runProgram(command);
        if (linked.exitCode != 0) {
            throw PackError("jlink failed with exit code " + std::to_string(linked.exitCode),
                            false);
        }
    }
}

void writeStage(const Plan& plan, const fs::path& stage) {
    const PackOptions& options = plan.options;
    fs::create_directories(stage / "lib");
    bool windows = plan.kind == LauncherKind::Windows;
    fs::path executable = stage / (windows ? options.name + ".exe" : options.name);
    writeFile(executable, windows ? stampLauncher(plan.launcher, plan.identity) : plan.launcher);
    fs::permissions(executable,
                    fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);
    std::string ini = plan.iniText;
    if (windows) {
        std::string crlf;
        for (char c : ini) {
            if (c == '\n' && (crlf.empty() || crlf.back() != '\r')) {
                crlf += '\r';
            }
            crlf += c;
        }
        ini = crlf;
    }
    writeFile(stage / (options.name + ".ini"), ini);
    for (const fs::path& jar : plan.jars) {
        fs::copy_file(jar, stage / "lib" / jar.filename(), fs::copy_options::overwrite_existing);
    }
    makeRuntime(plan, stage);
}

// A replaced output goes aside first, so that a failing rename loses nothing.
void moveIntoPlace(const fs::path& stage, const fs::path& out) {
    fs::path aside;
    if (fs::exists(out)) {
        aside = out;
        aside += ".old-" + std::to_string(platform::currentProcessId());
        fs::rename(out, aside);
    }
    fs::rename(stage, out);
    if (!aside.empty()) {
        fs::remove_all(aside);
    }
}

} // namespace

fs::path packApplication(const PackOptions& options, const fs::path& toolFolder) {
    checkName(options.name);
    fs::path out = fs::absolute(options.out);
    fs::path zip = out;
    zip += ".zip";
    if (!options.force && (fs::exists(out) || (options.zip && fs::exists(zip)))) {
        throw PackError((fs::exists(out) ? out : zip).string() +
                        " exists already: choose another --out or give --force");
    }
    Plan plan(options);
    plan.launcher = readFile(chosenLauncher(options, toolFolder), "the launcher");
    plan.kind = plan.launcher.rfind("\x7F"
                                    "ELF",
                                    0) == 0
                    ? LauncherKind::Linux
                    : LauncherKind::Windows;
    planIdentity(plan);
    if (options.jars.empty()) {
        throw PackError("no --jar given");
    }
    plan.jars = expandJars(options.jars);
    plan.iniText = iniText(plan);
    checkRuntimeInputs(plan);
    if (plan.kind == LauncherKind::Windows) {
        stampLauncher(plan.launcher, plan.identity); // a launcher that cannot be stamped fails here
    }

    fs::path stage = out.parent_path() / ("." + out.filename().string() + ".partial-" +
                                          std::to_string(platform::currentProcessId()));
    if (fs::exists(stage)) {
        throw PackError(stage.string() + " is in the way", false);
    }
    try {
        writeStage(plan, stage);
        moveIntoPlace(stage, out);
        if (options.zip) {
            writeFolderZip(out, zip);
        }
    } catch (...) {
        std::error_code ignored;
        fs::remove_all(stage, ignored);
        throw;
    }
    return out;
}

fs::path runningToolFolder() {
    WideString path;
    platform::SystemError error;
    if (!platform::queryExecutablePath(path, error)) {
        return ".";
    }
    return fs::path(std::u16string(path.view())).parent_path();
}

int packMain(const std::vector<std::string>& arguments, const fs::path& toolFolder) {
    try {
        PackOptions options = parsePackOptions(arguments);
        if (options.help) {
            std::cout << packHelpText();
            return 0;
        }
        std::cout << packApplication(options, toolFolder).string() << "\n";
        return 0;
    } catch (const PackError& error) {
        std::cerr << "launcher-pack: " << error.what() << "\n";
        return error.badInput() ? 2 : 1;
    } catch (const fs::filesystem_error& error) {
        std::cerr << "launcher-pack: " << error.what() << "\n";
        return 1;
    }
}

} // namespace launcher::pack
