// The self-test's side of the JNI invocation interface: a test JVM loaded from the
// build, VM creation with an option list like a launcher's, and small JNI helpers.
#pragma once

#include "host.h"

#include <jni.h>
#include <string>
#include <vector>

namespace testjvm::selftest {

using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);
using GetDefaultJavaVmInitArgs = jint(JNICALL*)(void*);
using GetCreatedJavaVms = jint(JNICALL*)(JavaVM**, jsize, jsize*);
using FindClassFromBootLoader = jclass(JNICALL*)(JNIEnv*, const char*);

// The library as built for a variant: <build>/testjvm/<variant>/<file>.
std::filesystem::path builtLibrary(const std::string& variant);

struct LoadedJvm {
    // The default variant as built, with the state of a VM that was never created.
    static LoadedJvm fromBuild();
    // A copy of the default variant in `folder`, so that each test starts from a
    // library that has not created a VM yet. It stays loaded for the rest of the
    // process (on Windows the file then outlives the folder's clean-up).
    static LoadedJvm freshCopy(const std::filesystem::path& folder);

    std::optional<Library> library;
    CreateJavaVm create = nullptr;
    GetDefaultJavaVmInitArgs defaultArgs = nullptr;
    GetCreatedJavaVms createdVms = nullptr;
    FindClassFromBootLoader findBootClass = nullptr;
};

struct CreateRequest {
    std::vector<std::string> options; // in the platform's narrow encoding
    bool hooks = true; // append "abort" and "exit" with our hooks, as a launcher does
    jint version = JNI_VERSION_1_2;
    bool ignoreUnrecognized = false;
    void* vfprintf = nullptr; // when set, a "vfprintf" option comes first
};

struct CreatedVm {
    jint result = JNI_ERR;
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
};

CreatedVm createVm(const LoadedJvm& jvm, const CreateRequest& request);

// The hooks print what they were called with on stderr, where a child's output shows them.
void JNICALL exitHook(jint code);
void JNICALL abortHook();

// The record file as lines.
std::vector<std::string> readLines(const std::filesystem::path& path);
// Whether `expected` appears in `lines` in this order, other lines allowed between.
bool containsInOrder(const std::vector<std::string>& lines,
                     const std::vector<std::string>& expected);

// A String[] made the way a launcher makes it: char arrays and String(char[]).
jobjectArray stringArray(JNIEnv* env, const std::vector<std::u16string>& texts);
jstring javaString(JNIEnv* env, const std::u16string& text);
// toString() of the pending exception, which is cleared; empty when none is pending.
std::string takePendingException(JNIEnv* env);
std::string utf8Chars(JNIEnv* env, jstring text);
// System.setOut or System.setErr (`setter`) to a file, through FileOutputStream and PrintStream.
void redirectTo(JNIEnv* env, const char* setter, const std::filesystem::path& file, bool append);
// Calls a static void method that takes a String[], after looking it up.
void callMain(JNIEnv* env, const char* className, const std::vector<std::u16string>& arguments);

} // namespace testjvm::selftest
