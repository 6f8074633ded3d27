// Finding the JVM library for a JVM type, and loading it with its entry points.
#include "jre/jvm_library.h"

#include "jre/jvm_layout.h"
#include "messages/error_output.h"
#include "messages/message_catalogue.h"
#include "messages/message_ids.h"
#include "platform/dynamic_library.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "platform/trace.h"

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

const char* jvmTypeName(JvmType type) {
    switch (type) {
    case JvmType::Server:
        return "server";
    case JvmType::FavorServer:
        return "favor_server";
    case JvmType::Any:
        break;
    }
    return "any";
}

WideString probeJvmLibrary(const WideString& home, JvmType type, bool& serverVm) {
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

} // namespace

WideString findJvmLibrary(const WideString& home, JvmType type, bool& serverVm) {
    WideString library = probeJvmLibrary(home, type, serverVm);
    platform::TraceLine("jvm-library-probe")
        .add("home", home.view())
        .add("type", jvmTypeName(type))
        .add("library", library.empty() ? std::u16string_view(u"none") : library.view());
    return library;
}

bool needsPairHandOver(const WideString& pairProduct, const WideString& libraryPath) {
    return !pairProduct.empty() && isX86Library(libraryPath);
}

bool JvmLibrary::load(const WideString& path) {
    if (uint32_t code = unloadableLibraryFileCode(path); code != 0) {
        platform::TraceLine("jvm-library-load")
            .add("path", path.view())
            .add("result", "unloadable-file")
            .add(platform::SystemError{code, "image-check", {}});
        reportMessage(msg::kJvmLoadFailed, {path, code});
        return false;
    }
    platform::SystemError error;
    module_ = platform::loadLibraryForever(path, error);
    if (module_ == nullptr) {
        platform::TraceLine("jvm-library-load")
            .add("path", path.view())
            .add("result", "failed")
            .add(error);
        reportMessage(msg::kJvmLoadFailed, {path, error.code});
        return false;
    }
    auto resolve = [&](const char* name, auto& entryPoint) {
        entryPoint = reinterpret_cast<std::remove_reference_t<decltype(entryPoint)>>(
            platform::findExport(module_, name, error));
        if (entryPoint == nullptr) {
            platform::TraceLine("jvm-library-load")
                .add("path", path.view())
                .add("result", "no-entry-point")
                .add("name", name)
                .add(error);
            reportMessage(msg::kWindowsException,
                          {MessageCatalogue::load(msg::kNoCreateJavaVm), error.code});
            return false;
        }
        return true;
    };
    if (!resolve("JNI_CreateJavaVM", createJavaVm) ||
        !resolve("JNI_GetDefaultJavaVMInitArgs", getDefaultJavaVmInitArgs)) {
        return false;
    }
    platform::SystemError ignored;
    findClassFromBootLoader = reinterpret_cast<FindClassFromBootLoaderFunction>(
        platform::findExport(module_, "JVM_FindClassFromBootLoader", ignored));
    platform::TraceLine("jvm-library-load").add("path", path.view()).add("result", "loaded");
    return true;
}

} // namespace launcher
