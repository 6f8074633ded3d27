#include "jre/jvm_library.h"

#include "config/launcher_settings.h"
#include "core/error_output.h"
#include "core/message_catalogue.h"
#include "core/message_ids.h"
#include "jre/jvm_layout.h"
#include "platform/dynamic_library.h"
#include "platform/file_system.h"

namespace launcher {

namespace {

struct ProbeStep {
    std::u16string_view vm;
    bool server;
};

// Tried for Any and FavorServer after FavorServer's first look at the server VM.
constexpr ProbeStep kProbeSteps[] = {
    {u"client", false}, {u"classic", false}, {u"hotspot", false},
    {u"server", true},  {u"jrockit", false},
};

WideString findVmLibrary(const WideString& home, std::u16string_view vm) {
    for (std::u16string_view relative : jvmLibraryCandidates(vm)) {
        WideString path = home + relative;
        if (platform::directoryEntryExists(path)) {
            return path;
        }
    }
    return WideString();
}

} // namespace

WideString findJvmLibrary(const WideString& home, JvmType type, bool& serverVm) {
    if (type == JvmType::Server || type == JvmType::FavorServer) {
        WideString server = findVmLibrary(home, u"server");
        if (!server.empty()) {
            serverVm = true;
            return server;
        }
        if (type == JvmType::Server) {
            return WideString();
        }
    }
    for (const ProbeStep& step : kProbeSteps) {
        WideString found = findVmLibrary(home, step.vm);
        if (!found.empty()) {
            serverVm = step.server;
            return found;
        }
    }
    return WideString();
}

bool needsPairHandOver(const LauncherSettings& settings, const WideString& libraryPath) {
    return !settings.pairProduct.empty() && isX86Library(libraryPath);
}

bool JvmLibrary::load(const WideString& path) {
    uint32_t error = 0;
    module_ = platform::loadLibraryForever(path, error);
    if (module_ == nullptr) {
        reportMessage(msg::kJvmLoadFailed, {path, error});
        return false;
    }
    auto resolve = [&](const char* name, auto& entryPoint) {
        entryPoint = reinterpret_cast<std::remove_reference_t<decltype(entryPoint)>>(
            platform::findExport(module_, name, error));
        if (entryPoint == nullptr) {
            reportMessage(msg::kWindowsException,
                          {MessageCatalogue::load(msg::kNoCreateJavaVm), error});
            return false;
        }
        return true;
    };
    if (!resolve("JNI_CreateJavaVM", createJavaVm) ||
        !resolve("JNI_GetDefaultJavaVMInitArgs", getDefaultJavaVmInitArgs)) {
        return false;
    }
    uint32_t ignored = 0;
    findClassFromBootLoader = reinterpret_cast<FindClassFromBootLoaderFunction>(
        platform::findExport(module_, "JVM_FindClassFromBootLoader", ignored));
    return true;
}

} // namespace launcher
