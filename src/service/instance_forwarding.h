// Serving one forwarded start in the primary: the arguments handed to the main
// class's secondaryMain, and the answer sent back.
#pragma once

#include "base/wide_string.h"

#include <cstdint>
#include <functional>
#include <jni.h>

namespace launcher {

// What the primary needs of its Java side to serve a forwarded start; handed in by
// the launcher, which owns the VM.
struct SecondaryMainTarget {
    WideString mainClass; // internal form: '/' between package names
    bool ibmRuntimesAdmitted = false;
};

// Attaches the calling thread to `vm`, calls secondaryMain with the arguments and
// calls `reply` with the answer: the int secondaryMain returns, or 0 before a void
// one runs. No reply when the class or the method is missing or the arguments
// cannot become a Java array. Leaves the VM again unless IBM runtimes are admitted.
void forwardToSecondaryMain(JavaVM* vm, const SecondaryMainTarget& target,
                            const WideStringList& arguments,
                            const std::function<void(int32_t)>& reply);

} // namespace launcher
