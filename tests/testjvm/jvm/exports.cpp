// The exported entry points. Each variant leaves one of them out, so that a launcher's
// handling of a JVM library without it can be tested.
#include "interfaces.h"

extern "C" {

#ifndef TESTJVM_WITHOUT_DEFAULT_ARGS
JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* arguments) {
    return testjvm::getDefaultJavaVmInitArgs(arguments);
}
#endif

#ifndef TESTJVM_WITHOUT_CREATE
JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* arguments) {
    return testjvm::createJavaVm(vm, env, arguments);
}
#endif

JNIEXPORT jint JNICALL JNI_GetCreatedJavaVMs(JavaVM** buffer, jsize length, jsize* count) {
    return testjvm::getCreatedJavaVms(buffer, length, count);
}

#ifndef TESTJVM_WITHOUT_BOOT_LOADER
JNIEXPORT jclass JNICALL JVM_FindClassFromBootLoader(JNIEnv* env, const char* name) {
    return testjvm::findClassFromBootLoader(env, name);
}
#endif
}
