// What happens to an exception that the main method did not catch.
#pragma once

#include <jni.h>

namespace launcher {

// True when the application is to be stopped because of the exception.
bool decideToStopOnException(JNIEnv* environment, jthrowable exception);

} // namespace launcher
