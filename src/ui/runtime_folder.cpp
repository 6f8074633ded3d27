// Probing a folder the user names, and the terminal form of the question.
#include "ui/runtime_folder.h"

#include "jre/jvm_library.h"
#include "platform/path.h"
#include "ui/resource_ids.h"

namespace launcher {

ChosenRuntime probeRuntimeFolder(const WideString& folder, JvmType type) {
    ChosenRuntime probed{platform::withSeparator(folder), WideString()};
    bool serverVm = false;
    probed.jvmLibraryPath = findJvmLibrary(probed.folder, type, serverVm);
    return probed;
}

std::optional<ChosenRuntime> promptForRuntimeFolder(const WideString& message, JvmType type,
                                                    const ReadLine& readLine,
                                                    const WriteText& write) {
    write(message + u"\n  " + WideString(u"" LAUNCHER_DOWNLOAD_ADDRESS) +
          u"\nIf you have a JRE installed, type its folder (an empty line cancels).\n");
    for (;;) {
        write(u"JRE Path: ");
        WideString line;
        if (!readLine(line)) {
            write(u"\n");
            return std::nullopt;
        }
        // A line typed on Windows or pasted from there may end with CR.
        while (line.endsWith(u'\r')) {
            line = line.left(line.length() - 1);
        }
        if (line.empty()) {
            return std::nullopt;
        }
        ChosenRuntime probed = probeRuntimeFolder(line, type);
        if (!probed.jvmLibraryPath.empty()) {
            return probed;
        }
        WideString refusal(type == JvmType::Server ? u"No server JVM library below "
                                                   : u"No JVM library below ");
        write(refusal + probed.folder + u"\n");
    }
}

} // namespace launcher
