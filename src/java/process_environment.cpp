// The variables and search paths the runtime and the application inherit.
#include "java/process_environment.h"

#include "jre/jvm_layout.h"
#include "platform/environment.h"
#include "platform/path.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace launcher {

namespace {

// The list ready for one more element.
WideString withListSeparator(const WideString& list) {
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

std::optional<WideString> prepareProcessEnvironment(const ProcessEnvironmentInput& input) {
    const WideString& library = input.jvmLibraryPath;
    WideString binFolder = nativeLibraryFolderOf(library);
    WideString home = runtimeHomeOf(library);
    setTracedVariable(u"ZEN_JVM_PATH", library);
    setTracedVariable(u"ZEN_JVM_HOME", home);

    std::optional<WideString> libraryPathOption;
    if (!input.libraryPath.empty()) {
        WideString value = withListSeparator(input.libraryPath);
        value.append(input.launcherFolder);
        value.append(platform::kPathListSeparator).append(u".");
        value.append(platform::kPathListSeparator).append(searchPathReference());
        value.append(platform::kPathListSeparator)
            .append(platform::withSeparator(home))
            .append(u"lib");
        platform::expandEnvironmentText(value);
        libraryPathOption = WideString(u"-Djava.library.path=") + value;
    }

    WideString searchPath =
        input.systemPath.empty() ? WideString() : withListSeparator(input.systemPath);
    searchPath.append(searchPathReference()).append(platform::kPathListSeparator);
    searchPath.append(binFolder);
    platform::expandEnvironmentText(searchPath);
    setTracedVariable(platform::kSearchPathVariable, searchPath);
    return libraryPathOption;
}

} // namespace launcher
