// What launcher-pack is asked to do, read from its command line.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace launcher::pack {

struct PackOptions {
    std::filesystem::path launcher; // empty: the one beside the tool
    bool windowed = false;
    std::string name;
    std::filesystem::path out;
    std::filesystem::path icon;
    std::string fileVersion, productVersion, company, copyright, description, productName;
    std::string productCode;
    std::string executionLevel;
    std::filesystem::path baseIni;
    std::string mainClass, vmOptions, minimumVersion, maximumVersion, jvmType;
    std::vector<std::string> jars; // paths, the file name part may hold * and ?
    std::filesystem::path runtime;
    std::filesystem::path jlinkJdk;
    std::string addModules;
    std::string modulePath;
    bool zip = false;
    bool force = false;
    bool help = false;
};

// Throws PackError (bad input) for an unknown option, a missing value, or a
// missing --name or --out.
PackOptions parsePackOptions(const std::vector<std::string>& arguments);

// One line per option.
std::string packHelpText();

} // namespace launcher::pack
