// Where jvm.dll lies below a Windows runtime's home.
#include "jre/jvm_layout.h"

namespace launcher {

const std::u16string_view kRuntimeMarkerFile = u"bin\\java.dll";
const std::u16string_view kJavaProgram = u"bin\\java.exe";
const std::u16string_view kPrivateRuntimeFolder = u"jre64\\";
const std::u16string_view kArchitectureLibraryFolder = u"";

std::vector<std::u16string_view> jvmLibraryCandidates(std::u16string_view vm) {
    if (vm == u"server") {
        return {u"bin\\server\\jvm.dll"};
    }
    if (vm == u"client") {
        return {u"bin\\client\\jvm.dll"};
    }
    if (vm == u"classic") {
        return {u"bin\\classic\\jvm.dll"};
    }
    if (vm == u"hotspot") {
        return {u"bin\\hotspot\\jvm.dll"};
    }
    if (vm == u"jrockit") {
        return {u"bin\\jrockit\\jvm.dll"};
    }
    return {};
}

} // namespace launcher
