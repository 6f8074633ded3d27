// The options in one table: name, value, help line and where the value goes.
#include "pack/pack_options.h"

#include "pack/pack_error.h"

#include <functional>

namespace launcher::pack {

namespace {

struct OptionRow {
    const char* name;
    const char* value; // nullptr: a flag
    const char* help;
    std::function<void(PackOptions&, const std::string&)> store;
};

template <class Field> auto into(Field PackOptions::*field) {
    return [field](PackOptions& options, const std::string& value) {
        options.*field = value;
    };
}

auto flag(bool PackOptions::*field) {
    return [field](PackOptions& options, const std::string&) {
        options.*field = true;
    };
}

const std::vector<OptionRow>& optionTable() {
    static const std::vector<OptionRow> rows = {
        {"--name", "NAME", "the application's name: <NAME>.exe and <NAME>.ini (required)",
         into(&PackOptions::name)},
        {"--out", "FOLDER", "the application folder to write (required); kept if it exists",
         into(&PackOptions::out)},
        {"--launcher", "FILE", "the prebuilt launcher (default: launcher.exe beside this tool)",
         into(&PackOptions::launcher)},
        {"--windowed", nullptr, "take launcherw.exe, which opens no console window",
         flag(&PackOptions::windowed)},
        {"--jar", "FILE", "a jar for lib\\ (repeatable; * and ? in the file name)",
         [](PackOptions& options, const std::string& value) {
             options.jars.push_back(value);
         }},
        {"--main", "CLASS", "the main class (must be in one of the jars)",
         into(&PackOptions::mainClass)},
        {"--ini", "FILE", "an INI file to start from instead of an empty one",
         into(&PackOptions::baseIni)},
        {"--vm-options", "TEXT", "Virtual Machine Parameters", into(&PackOptions::vmOptions)},
        {"--min-version", "VERSION", "Minimum Version of the runtime",
         into(&PackOptions::minimumVersion)},
        {"--max-version", "VERSION", "Maximum Version of the runtime",
         into(&PackOptions::maximumVersion)},
        {"--jvm-type", "TYPE", "JVM Type: server, favor_server or any",
         into(&PackOptions::jvmType)},
        {"--product-name", "TEXT", "Product Name in the INI file and ProductName in the version",
         into(&PackOptions::productName)},
        {"--product-code", "TEXT", "Product Code in the INI file", into(&PackOptions::productCode)},
        {"--icon", "FILE", "an .ico file: all its images become icon group 1",
         into(&PackOptions::icon)},
        {"--version", "VERSION", "FileVersion: up to four numbers 0-65535 (default 1.0.0.0)",
         into(&PackOptions::fileVersion)},
        {"--product-version", "VERSION", "ProductVersion (default: the file version)",
         into(&PackOptions::productVersion)},
        {"--company", "TEXT", "CompanyName", into(&PackOptions::company)},
        {"--copyright", "TEXT", "LegalCopyright", into(&PackOptions::copyright)},
        {"--description", "TEXT", "FileDescription (default: the name)",
         into(&PackOptions::description)},
        {"--execution-level", "LEVEL",
         "asInvoker (what most desktop applications want), highestAvailable or "
         "requireAdministrator (as built)",
         into(&PackOptions::executionLevel)},
        {"--runtime", "FOLDER", "a runtime folder copied as the private runtime jre64\\",
         into(&PackOptions::runtime)},
        {"--jlink", "JDK", "make jre64\\ with that JDK's jlink from the modules the jars need",
         into(&PackOptions::jlinkJdk)},
        {"--add-modules", "LIST", "the modules for --jlink instead of those jdeps finds",
         into(&PackOptions::addModules)},
        {"--module-path", "PATH", "another platform's jmods for --jlink (a Windows JDK's jmods)",
         into(&PackOptions::modulePath)},
        {"--zip", nullptr, "also write the folder as <FOLDER>.zip beside it",
         flag(&PackOptions::zip)},
        {"--force", nullptr, "replace an existing output folder (and zip)",
         flag(&PackOptions::force)},
        {"--help", nullptr, "this list", flag(&PackOptions::help)},
    };
    return rows;
}

const OptionRow* findOption(const std::string& name) {
    for (const OptionRow& row : optionTable()) {
        if (name == row.name) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace

PackOptions parsePackOptions(const std::vector<std::string>& arguments) {
    PackOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> inlineValue;
        if (size_t equals = name.find('=');
            name.rfind("--", 0) == 0 && equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        const OptionRow* row = findOption(name);
        if (row == nullptr) {
            throw PackError("unknown option " + name + " (--help lists them)");
        }
        std::string value;
        if (row->value != nullptr) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                throw PackError(name + " needs a value: " + row->value);
            }
        } else if (inlineValue) {
            throw PackError(name + " takes no value");
        }
        row->store(options, value);
    }
    if (!options.help && (options.name.empty() || options.out.empty())) {
        throw PackError("--name and --out are required (--help lists the options)");
    }
    return options;
}

std::string packHelpText() {
    std::string text = "usage: launcher-pack --name NAME --out FOLDER [options]\n"
                       "Writes an application folder from a prebuilt launcher and jars.\n";
    for (const OptionRow& row : optionTable()) {
        std::string left =
            std::string("  ") + row.name + (row.value ? " " : "") + (row.value ? row.value : "");
        left.resize(std::max<size_t>(left.size() + 1, 28), ' ');
        text += left + row.help + "\n";
    }
    return text;
}

} // namespace launcher::pack
