// The Java side of the run: the VM created through the JNI invocation interface,
// the call of the main class, and the JNI helpers other units share.
#pragma once

#include "core/wide_string.h"

#include <cstdint>
#include <functional>
#include <jni.h>
#include <string>
#include <vector>

namespace launcher {

class Launcher;
struct LauncherSettings;

// VM options in the thread's narrow encoding, in the order the VM receives them.
using JvmOptionList = std::vector<std::string>;

class JavaHost {
  public:
    // The application thread's routine; `launcher` is the Launcher. 0 when the VM
    // was created, main ran and the VM was destroyed; 1 otherwise.
    static uint32_t runApplicationThread(void* launcher);

    bool createVm(Launcher& launcher);
    bool invokeMain(Launcher& launcher);
    // Destroys the VM when it still exists; safe to call twice.
    void destroyVm();

    JavaVM* vm = nullptr;
    JNIEnv* environment = nullptr;
    JvmOptionList options;
    WideString outputFile;
    bool outputAppend = false;
    WideString errorFile;
    bool errorAppend = false;
    // Called right before main, so that forwarded arguments wait for the application.
    std::function<void()> signalInstanceReady;
};

// The VM's "exit" and "abort" hooks.
void JNICALL vmExitHook(jint code);
void JNICALL vmAbortHook();

// Java strings are made from the UTF-16 units as they are, never re-encoded.
jstring toJavaString(JNIEnv* environment, std::u16string_view text);
jobjectArray toJavaStringArray(JNIEnv* environment, const WideStringList& texts);
void callSystemExit(JNIEnv* environment, int32_t code);

// Whether the "VM Provider" admits IBM runtimes; threads then never leave the VM.
bool ibmRuntimesAdmitted(const LauncherSettings& settings) noexcept;

} // namespace launcher
