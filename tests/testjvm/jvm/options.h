// Which VM options the test JVM accepts, judged the way HotSpot judges them for the
// cases the launcher produces.
#pragma once

#include <jni.h>
#include <string>
#include <string_view>

namespace testjvm {

struct OptionVerdict {
    jint result = JNI_OK; // JNI_OK, JNI_ERR (unrecognised) or JNI_EINVAL (malformed)
    std::string message;  // what the VM prints on its error stream when the result is not JNI_OK
};

// The hook options ("exit", "abort", "vfprintf") are the caller's business.
OptionVerdict checkOption(std::string_view option, bool ignoreUnrecognized);

// A size as -Xmx and the size flags take it: digits and an optional k, m, g or t.
bool isSize(std::string_view text);

} // namespace testjvm
