// What happens to an exception that the main method did not catch.
#pragma once

#include <jni.h>

namespace launcher {

class Launcher;

// True when the application is to be stopped because of the exception.
bool decideToStopOnException(Launcher& launcher, JNIEnv* environment, jthrowable exception);

} // namespace launcher
