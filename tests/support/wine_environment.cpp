// The Wine prefix's variables, its user folder and its view of Linux paths.
#include "support/wine_environment.h"

#include <algorithm>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace launcher::testing {

namespace fs = std::filesystem;

std::map<std::string, std::string> wineEnvironment(const fs::path& prefix) {
    return {{"WINEPREFIX", prefix.string()},
            {"WINEDEBUG", "-all"},
            {"WINEDLLOVERRIDES", "mscoree,mshtml="}};
}

fs::path wineUserFolder(const fs::path& prefix) {
    const char* user = std::getenv("USER");
    if (user == nullptr || *user == '\0') {
        const passwd* entry = getpwuid(geteuid());
        user = entry != nullptr ? entry->pw_name : "";
    }
    return prefix / "drive_c" / "users" / user;
}

std::string windowsPathOf(const fs::path& path) {
    std::string text = "Z:" + fs::absolute(path).string();
    std::replace(text.begin(), text.end(), '/', '\\');
    return text;
}

} // namespace launcher::testing
