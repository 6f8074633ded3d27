// Where libjvm.so lies below a Linux runtime's home.
#include "jre/jvm_layout.h"

namespace launcher {

const std::u16string_view kRuntimeMarkerFile = u"lib/libjava.so";
const std::u16string_view kJavaProgram = u"bin/java";
const std::u16string_view kPrivateRuntimeFolder = u"jre64/";
const std::u16string_view kArchitectureLibraryFolder = u"amd64";

// JDK 9 and later keep the VM under lib/; JDK 8 under lib/amd64/ of its JRE, which
// is the home itself or its jre/ folder.
std::vector<std::u16string_view> jvmLibraryCandidates(std::u16string_view vm) {
    if (vm == u"server") {
        return {u"lib/server/libjvm.so", u"lib/amd64/server/libjvm.so",
                u"jre/lib/amd64/server/libjvm.so"};
    }
    if (vm == u"client") {
        return {u"lib/client/libjvm.so", u"lib/amd64/client/libjvm.so",
                u"jre/lib/amd64/client/libjvm.so"};
    }
    if (vm == u"classic") {
        return {u"lib/classic/libjvm.so", u"lib/amd64/classic/libjvm.so"};
    }
    if (vm == u"hotspot") {
        return {u"lib/hotspot/libjvm.so", u"lib/amd64/hotspot/libjvm.so"};
    }
    if (vm == u"jrockit") {
        return {u"lib/jrockit/libjvm.so", u"lib/amd64/jrockit/libjvm.so"};
    }
    return {};
}

} // namespace launcher
