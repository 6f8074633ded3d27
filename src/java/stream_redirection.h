// Java's standard output and error sent to the files the INI file names.
#pragma once

#include "base/wide_string.h"

#include <jni.h>

namespace launcher {

// The files, after environment expansion; an empty name leaves that stream alone.
struct StreamRedirection {
    WideString outputFile;
    bool outputAppend = false;
    WideString errorFile;
    bool errorAppend = false;
};

// Called once the VM exists, before the main class is looked up.
void redirectStandardStreams(JNIEnv* environment, const StreamRedirection& redirection);

} // namespace launcher
