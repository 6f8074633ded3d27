// The decision on an exception the main method did not catch.
#include "java/failure_decision.h"

namespace launcher {

// No decision is offered yet: the exception stays pending and the run goes on.
bool decideToStopOnException(JNIEnv*, jthrowable) {
    return false;
}

} // namespace launcher
