// Redirection of Java's standard streams.
#include "java/stream_redirection.h"

namespace launcher {

// Output files are not opened yet: Java's streams stay on the console.
void redirectStandardStreams(JNIEnv*, const StreamRedirection&) {}

} // namespace launcher
