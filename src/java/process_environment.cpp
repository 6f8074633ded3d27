// The variables and search paths the runtime and the application inherit.
#include "java/process_environment.h"

#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace launcher {

namespace {

// Removes the last separator and what follows it; a path without one stays.
WideString cut(const WideString& path) {
    int32_t at = path.findLast(platform::kPathSeparator);
    return at == WideString::kNotFound ? path : path.left(at);
}

WideString joinedWithNext(const WideString& list) {
    WideString joined = list;
    if (!joined.endsWith(platform::kPathListSeparator)) {
        joined.append(platform::kPathListSeparator);
    }
    return joined;
}

void setTracedVariable(std::u16string_view name, const WideString& value) {
    bool set = platform::setEnvironmentVariable(name, value);
    platform::TraceLine("environment").add("name", name).add("value", value.view()).add("set", set);
}

WideString searchPathReference() {
    return WideString(u"%") + platform::kSearchPathVariable + u"%";
}

} // namespace

std::optional<std::string> prepareProcessEnvironment(const ProcessEnvironmentInput& input) {
    const WideString& library = input.jvmLibraryPath;
    WideString binFolder = cut(cut(library));
    WideString home = cut(binFolder);
    WideString homeWithSeparator = binFolder.left(binFolder.findLast(platform::kPathSeparator) + 1);
    setTracedVariable(u"ZEN_JVM_PATH", library);
    setTracedVariable(u"ZEN_JVM_HOME", home);

    std::optional<std::string> libraryPathOption;
    if (!input.libraryPath.empty()) {
        WideString value = joinedWithNext(input.libraryPath);
        value.append(input.launcherFolder);
        value.append(platform::kPathListSeparator).append(u".");
        value.append(platform::kPathListSeparator).append(searchPathReference());
        value.append(platform::kPathListSeparator).append(homeWithSeparator).append(u"lib");
        platform::expandEnvironmentText(value);
        libraryPathOption = platform::wideToNarrow(WideString(u"-Djava.library.path=") + value);
    }

    WideString searchPath =
        input.systemPath.empty() ? WideString() : joinedWithNext(input.systemPath);
    searchPath.append(searchPathReference()).append(platform::kPathListSeparator);
    searchPath.append(binFolder);
    platform::expandEnvironmentText(searchPath);
    setTracedVariable(platform::kSearchPathVariable, searchPath);
    return libraryPathOption;
}

} // namespace launcher
