// The two function tables and the library's entry points, which exports.cpp makes
// visible according to the variant being built.
#pragma once

#include <jni.h>

namespace testjvm {

const JNINativeInterface_* nativeInterface();
const JNIInvokeInterface_* invokeInterface();

jint getDefaultJavaVmInitArgs(void* arguments);
jint createJavaVm(JavaVM** vm, void** env, void* arguments);
jint getCreatedJavaVms(JavaVM** buffer, jsize length, jsize* count);
jclass findClassFromBootLoader(JNIEnv* env, const char* name);

} // namespace testjvm
