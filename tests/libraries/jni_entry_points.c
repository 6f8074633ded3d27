/* A stand-in for a JVM library that exports only some of the JNI invocation entry
   points, so that loading it shows how each missing one is reported. Which ones
   are left out is chosen by the build. Each answers with its own status, so that a
   test can tell which export an entry point was resolved to. */
/* jni.h declares the entry points as imports unless told that they are defined here. */
#define _JNI_IMPLEMENTATION_
#include <jni.h>

#ifndef LEAVE_OUT_CREATE_JAVA_VM
JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** environment, void* arguments) {
    (void)vm;
    (void)environment;
    (void)arguments;
    return JNI_EVERSION;
}
#endif

#ifndef LEAVE_OUT_DEFAULT_INIT_ARGS
JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* arguments) {
    (void)arguments;
    return JNI_EINVAL;
}
#endif
