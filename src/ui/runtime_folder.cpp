// Probing a folder the user names, and the terminal form of the question.
#include "ui/runtime_folder.h"

#include "jre/jvm_library.h"
#include "platform/file_system.h"
#include "platform/trace.h"
#include "ui/resource_ids.h"

namespace launcher {

ChosenRuntime probeRuntimeFolder(const WideString& folder, RuntimeWanted wanted) {
    ChosenRuntime probed{platform::withSeparator(folder), WideString(), WideString()};
    bool serverVm = false;
    WideString library = findJvmLibrary(probed.folder, wanted.type, serverVm);
    if (library.empty()) {
        return probed;
    }
    uint32_t refusal = unloadableLibraryFileCode(library);
    bool x86Refused = !wanted.x86Allowed && isX86Library(library);
    platform::TraceLine("runtime-folder-check")
        .add("library", library.view())
        .add("image-check", refusal)
        .add("x86-refused", x86Refused);
    if (refusal != 0 || x86Refused) {
        probed.refusedLibrary = std::move(library);
    } else {
        probed.jvmLibraryPath = std::move(library);
    }
    return probed;
}

std::optional<ChosenRuntime> promptForRuntimeFolder(const WideString& message, RuntimeWanted wanted,
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
        // Saved as "JRE Path", a relative folder would be read against the
        // launcher's folder next time: it is kept as the folder it names now.
        ChosenRuntime probed = probeRuntimeFolder(platform::absolutePath(line), wanted);
        if (!probed.jvmLibraryPath.empty()) {
            return probed;
        }
        if (!probed.refusedLibrary.empty()) {
            write(WideString(u"This launcher cannot load ") + probed.refusedLibrary + u"\n");
            continue;
        }
        WideString refusal(wanted.type == JvmType::Server ? u"No server JVM library below "
                                                          : u"No JVM library below ");
        write(refusal + probed.folder + u"\n");
    }
}

} // namespace launcher
