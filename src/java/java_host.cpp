// The VM's lifecycle: its creation, the call of the main class, its end.
#include "java/java_host.h"

#include "java/failure_decision.h"
#include "java/jni_support.h"
#include "java/stream_redirection.h"
#include "messages/error_output.h"
#include "messages/message_catalogue.h"
#include "messages/message_ids.h"
#include "platform/environment.h"
#include "platform/thread.h"
#include "platform/trace.h"

#include <atomic>
#include <vector>

namespace launcher {

namespace {

char kAbortOption[] = "abort";
char kExitOption[] = "exit";

constexpr char kLauncherHelper[] = "sun/launcher/LauncherHelper";
constexpr char kCheckAndLoadMain[] = "checkAndLoadMain";
constexpr char kCheckAndLoadMainSignature[] = "(ZILjava/lang/String;)Ljava/lang/Class;";
constexpr char kMainSignature[] = "([Ljava/lang/String;)V";
constexpr jint kLoadClassByName = 1;

// Asks the VM's own launcher support class, which reports a missing class or
// method itself. Null when that class or its method is not there.
jclass loadMainThroughLauncherHelper(JNIEnv* env, FindClassFromBootLoaderFunction findBootClass,
                                     const WideString& mainClass) {
    if (findBootClass == nullptr) {
        return nullptr;
    }
    LocalReference helper(env, findBootClass(env, kLauncherHelper));
    if (!helper) {
        clearExpectedException(env); // an older VM without the class: take the other path
        return nullptr;
    }
    jmethodID check =
        env->GetStaticMethodID(helper.asClass(), kCheckAndLoadMain, kCheckAndLoadMainSignature);
    if (check == nullptr) {
        clearExpectedException(env);
        return nullptr;
    }
    WideString dotted = mainClass;
    dotted.replaceAll(u'/', u'.');
    LocalReference name(env, toJavaString(env, dotted));
    if (!name) {
        return nullptr;
    }
    auto found = static_cast<jclass>(env->CallStaticObjectMethod(helper.asClass(), check, JNI_TRUE,
                                                                 kLoadClassByName, name.get()));
    // Asked whatever the result: JNI wants every call that may throw checked.
    if (env->ExceptionCheck() && found == nullptr) {
        env->ExceptionDescribe();
    }
    return found;
}

jclass loadMainThroughFindClass(JNIEnv* env, const WideString& mainClass) {
    bool nameMade = false;
    jclass found = findClass(env, mainClass, ClassNameEncoding::ModifiedUtf8, nameMade);
    if (!nameMade) {
        exceptionRaised(env);
        reportMessage(msg::kMainClassLoadFailed, {mainClass});
    } else if (found == nullptr) {
        exceptionRaised(env);
        reportMessage(msg::kMainClassNotFound, {mainClass});
    }
    return found;
}

// Properties the options could not carry in the narrow encoding, given as Java
// strings so that they arrive exactly. False when one could not be set (the
// exception is printed).
bool setLaterProperties(JNIEnv* env, const std::vector<SystemProperty>& properties) {
    if (properties.empty()) {
        return true;
    }
    LocalReference system(env, env->FindClass("java/lang/System"));
    if (!system) {
        exceptionRaised(env);
        return false;
    }
    jmethodID setProperty =
        env->GetStaticMethodID(system.asClass(), "setProperty",
                               "(Ljava/lang/String;Ljava/lang/String;)Ljava/lang/String;");
    if (setProperty == nullptr) {
        exceptionRaised(env);
        return false;
    }
    for (const SystemProperty& property : properties) {
        platform::TraceLine("vm-property")
            .add("name", property.name.view())
            .add("value", property.value.view());
        LocalReference name(env, toJavaString(env, property.name.view()));
        LocalReference value(env, name ? toJavaString(env, property.value.view()) : nullptr);
        if (!value) {
            exceptionRaised(env);
            return false;
        }
        LocalReference previous(env, env->CallStaticObjectMethod(system.asClass(), setProperty,
                                                                 name.get(), value.get()));
        if (exceptionRaised(env)) {
            return false;
        }
    }
    return true;
}

// HotSpot takes its home from this variable, where set, instead of the path of
// its library. It is read only while the VM is created, and gone afterwards so
// that no program the application starts inherits it.
constexpr char16_t kVmHomeVariable[] = u"_ALT_JAVA_HOME_DIR";

jint createJavaVmAt(const JavaApplication& application, JavaVM** vm, JNIEnv** environment,
                    JavaVMInitArgs& arguments) {
    bool homeGiven =
        !application.writableRuntimeHome.empty() &&
        platform::setEnvironmentVariable(kVmHomeVariable, application.writableRuntimeHome);
    jint result =
        application.library->createJavaVm(vm, reinterpret_cast<void**>(environment), &arguments);
    if (homeGiven) {
        platform::removeEnvironmentVariable(kVmHomeVariable);
    }
    return result;
}

std::atomic<VmExitListener*> vmExitListener{nullptr};
std::atomic<void (*)()> vmEndAction{nullptr};

void runVmEndAction() {
    if (void (*action)() = vmEndAction.exchange(nullptr)) {
        action();
    }
}

[[noreturn]] void waitForever() {
    for (;;) {
        platform::sleepForever();
    }
}

} // namespace

uint32_t JavaHost::runApplicationThread(void* host) {
    auto* java = static_cast<JavaHost*>(host);
    uint32_t result = kApplicationFailed;
    if (java != nullptr &&
        !reportingEscapedErrors([java, &result] { result = java->runApplication(); }) &&
        java->vm != nullptr) {
        java->vm->DetachCurrentThread(); // the teardown's DestroyJavaVM would wait for it
    }
    return result;
}

uint32_t JavaHost::runApplication() {
    if (!createVm()) {
        return kApplicationFailed;
    }
    uint32_t result = kApplicationFailed;
    if (setLaterProperties(environment, application.laterProperties)) {
        result = invokeMain();
    }
    if (result != kApplicationFailed) {
        destroyVm();
        return result;
    }
    // The teardown destroys the VM from the main thread, and DestroyJavaVM waits for
    // every thread still attached: this one would be waited for for ever once ended.
    // That holds with IBM runtimes admitted too: their rule keeps a thread that ran
    // main in the VM, and a failed invocation never got as far as main.
    vm->DetachCurrentThread();
    return kApplicationFailed;
}

bool JavaHost::createVm() {
    JvmOptionList& options = application.options;
    std::vector<JavaVMOption> vmOptions;
    vmOptions.reserve(options.size() + 2);
    for (std::string& option : options) {
        vmOptions.push_back(JavaVMOption{option.data(), nullptr});
    }
    vmOptions.push_back(JavaVMOption{kAbortOption, reinterpret_cast<void*>(&vmAbortHook)});
    vmOptions.push_back(JavaVMOption{kExitOption, reinterpret_cast<void*>(&vmExitHook)});

    for (const std::string& option : options) {
        platform::TraceLine("vm-option").add("value", std::string_view(option));
    }
    JavaVMInitArgs arguments{};
    arguments.version = JNI_VERSION_1_2;
    arguments.nOptions = static_cast<jint>(vmOptions.size());
    arguments.options = vmOptions.data();
    arguments.ignoreUnrecognized = JNI_FALSE;

    jint result = createJavaVmAt(application, &vm, &environment, arguments);
    platform::TraceLine("vm-create").add("result", static_cast<int32_t>(result));
    if (result != JNI_OK) {
        vm = nullptr;
        reportMessage(msg::kJniExceptionWithReason,
                      {MessageCatalogue::load(msg::kCreateVmFailed), jniFailureReason(result)});
        return false;
    }
    redirectStandardStreams(environment, application.redirection);
    return true;
}

uint32_t JavaHost::invokeMain() {
    JNIEnv* env = environment;
    const WideString& mainClassName = application.mainClass;
    jclass mainClass = loadMainThroughLauncherHelper(
        env, application.library->findClassFromBootLoader, mainClassName);
    if (mainClass == nullptr) {
        mainClass = loadMainThroughFindClass(env, mainClassName);
        if (mainClass == nullptr) {
            platform::TraceLine("stop")
                .add("reason", "main-class-not-loaded")
                .add("class", mainClassName.view());
            return kApplicationFailed;
        }
    }
    jmethodID main = env->GetStaticMethodID(mainClass, "main", kMainSignature);
    if (main == nullptr) {
        platform::TraceLine("stop")
            .add("reason", "no-main-method")
            .add("class", mainClassName.view());
        if (!exceptionRaised(env)) {
            reportError(MessageCatalogue::load(msg::kNoMainMethod));
        }
        return kApplicationFailed;
    }
    jobjectArray arguments = toJavaStringArray(env, application.arguments);
    if (arguments == nullptr) {
        exceptionRaised(env);
        return kApplicationFailed;
    }
    // Traced before forwarded starts are let in, so that the trace shows them after it.
    if (platform::traceEnabled()) {
        platform::TraceLine("main-call")
            .add("class", mainClassName.view())
            .add("arguments", application.arguments.size());
        for (const WideString& argument : application.arguments) {
            platform::TraceLine("main-argument").add("value", argument.view());
        }
    }
    if (signalInstanceReady) {
        signalInstanceReady();
    }
    if (mainStarting) {
        mainStarting();
    }
    env->CallStaticVoidMethod(mainClass, main, arguments);
    // As with java, an exception that leaves main is a failed run, also when the
    // user chose to let the application go on.
    bool threw = decideOnUncaughtException(env);
    if (application.ibmRuntimesAdmitted) {
        waitForever(); // those runtimes must not see the thread leave
    }
    if (vm->DetachCurrentThread() != JNI_OK) {
        return kApplicationFailed;
    }
    return threw ? kApplicationThrew : kApplicationReturned;
}

bool JavaHost::decideOnUncaughtException(JNIEnv* env) {
    LocalReference uncaught(env, env->ExceptionOccurred());
    platform::TraceLine("main-returned").add("exception", static_cast<bool>(uncaught));
    if (uncaught && application.failureCheck &&
        decideOnFailure(env, static_cast<jthrowable>(uncaught.get()),
                        application.failureDecision)) {
        env->ExceptionClear();
        callSystemExit(env, -1);
    }
    return static_cast<bool>(uncaught);
}

void JavaHost::destroyVm() {
    if (vm != nullptr) {
        vm->DestroyJavaVM();
        vm = nullptr;
        runVmEndAction();
    }
}

void setVmExitListener(VmExitListener* listener) noexcept {
    vmExitListener.store(listener);
}

void setVmEndAction(void (*action)()) noexcept {
    vmEndAction.store(action);
}

void JNICALL vmExitHook(jint code) {
    platform::TraceLine("exit").add("code", static_cast<int32_t>(code)).add("reason", "vm-exit");
    runVmEndAction();
    if (VmExitListener* listener = vmExitListener.load()) {
        listener->onVmExit(code);
    }
}

void JNICALL vmAbortHook() {
    platform::TraceLine("exit").add("reason", "vm-abort");
    if (VmExitListener* listener = vmExitListener.load()) {
        listener->onVmAbort();
    }
}

} // namespace launcher
