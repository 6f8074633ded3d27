// The JDK 1.1 argument record of the JNI invocation interface: still the way a VM
// tells its caller the default stack size of a Java thread.
#pragma once

#include <cstddef>
#include <jni.h>

namespace launcher {

inline constexpr jint kJniVersion11 = 0x00010001;

struct Jdk11InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    void* vfprintf;
    void* exit;
    void* abort;
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};
static_assert(sizeof(void*) != 8 || offsetof(Jdk11InitArgs, javaStackSize) == 24);
static_assert(sizeof(void*) != 8 || sizeof(Jdk11InitArgs) == 96);

} // namespace launcher
