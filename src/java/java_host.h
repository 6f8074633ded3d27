// The Java side of the run: the VM created through the JNI invocation interface,
// the call of the main class, and the VM's hooks.
#pragma once

#include "base/wide_string.h"
#include "config/launcher_settings.h"
#include "java/failure_decision.h"
#include "java/jvm_options.h"
#include "java/option_encoding.h"
#include "java/stream_redirection.h"
#include "java/vm_exit_listener.h"
#include "jre/jvm_library.h"

#include <cstdint>
#include <functional>
#include <jni.h>
#include <vector>

namespace launcher {

// Everything the application thread reads, settled before it starts.
struct JavaApplication {
    const JvmLibrary* library = nullptr;
    JvmOptionList options;
    // Set once the VM exists, before anything of the application is loaded.
    std::vector<SystemProperty> laterProperties;
    // The runtime's home in a form the code page can write, when its own name
    // cannot be: the VM would read it, broken, from the library's path.
    WideString writableRuntimeHome;
    WideString mainClass; // internal form: '/' between package names
    WideStringList arguments;
    StreamRedirection redirection;
    bool failureCheck = false;
    FailureDecision failureDecision; // asked when failureCheck is on; none: continue
    bool ibmRuntimesAdmitted = false;
};

// How the application thread ended.
inline constexpr uint32_t kApplicationReturned = 0; // main returned, the VM was destroyed
inline constexpr uint32_t kApplicationFailed = 1;   // no VM, no main class or no main
inline constexpr uint32_t kApplicationThrew = 2;    // main ended with an exception

class JavaHost {
  public:
    // The application thread's routine; `host` is the JavaHost. One of the
    // kApplication results.
    static uint32_t runApplicationThread(void* host);

    bool createVm();
    // kApplicationFailed when main could not be called.
    uint32_t invokeMain();
    // Destroys the VM when it still exists; safe to call twice.
    void destroyVm();

    JavaApplication application;
    JavaVM* vm = nullptr;
    JNIEnv* environment = nullptr;
    // Called on this thread right before main, after the instance is ready: a
    // service's stop requests may reach Java from then on.
    std::function<void()> mainStarting;
    // Called right before main, so that forwarded arguments wait for the application.
    std::function<void()> signalInstanceReady;

  private:
    uint32_t runApplication();
    // An exception main did not catch stays pending for the VM to report, unless
    // the failure decision stops the application (System.exit is called with
    // nothing pending, as JNI wants). Whether main ended with one.
    bool decideOnUncaughtException(JNIEnv* env);
};

// The VM's "exit" and "abort" hooks have no context argument: they tell the
// listener set here, once, before the VM can call them (none: they do nothing).
void setVmExitListener(VmExitListener* listener) noexcept;
// Runs once when the VM has ended, whichever way: through System.exit (in the
// exit hook) or destroyed after main returned. Not after an abort.
void setVmEndAction(void (*action)()) noexcept;
void JNICALL vmExitHook(jint code);
void JNICALL vmAbortHook();

} // namespace launcher
