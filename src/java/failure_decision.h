// What happens to an exception that the main method did not catch.
#pragma once

#include "base/wide_string.h"

#include <functional>
#include <jni.h>

namespace launcher {

// What the exception's printStackTrace(PrintStream) writes: its description and
// its stack frames, one a line, in the VM's own layout. Empty when it cannot be had.
//
// Sound under the JNI rules, which allow almost no call while an exception is
// pending: the exception pending on entry (if any) is kept, cleared for the
// capture and thrown again before the return, the same object, so that the
// thread goes on exactly as without the capture. An exception raised by the
// capture itself is printed (ExceptionDescribe) and dropped. Every local
// reference made here is deleted again.
WideString captureExceptionText(JNIEnv* environment, jthrowable exception);

// The decision on an exception main did not catch, given its captured text:
// true stops the application. The launcher asks the user, where it can show a
// window; empty, the application goes on.
using FailureDecision = std::function<bool(const WideString& exceptionText)>;

// Captures the text of the pending exception and decides on it (no decision:
// continue). The exception is pending again afterwards.
bool decideOnFailure(JNIEnv* environment, jthrowable exception, const FailureDecision& decide);

} // namespace launcher
