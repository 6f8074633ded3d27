// The VM's creation, the call of the main class and the JNI helpers.
#include "java/java_host.h"

#include "java/failure_decision.h"
#include "java/stream_redirection.h"
#include "messages/error_output.h"
#include "messages/message_catalogue.h"
#include "messages/message_ids.h"
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

const jchar* javaChars(std::u16string_view text) {
    return reinterpret_cast<const jchar*>(text.data());
}

// Asks the VM's own launcher support class, which reports a missing class or
// method itself. Null when that class or its method is not there.
jclass loadMainThroughLauncherHelper(JNIEnv* env, FindClassFromBootLoaderFunction findBootClass,
                                     const WideString& mainClass) {
    if (findBootClass == nullptr) {
        return nullptr;
    }
    jclass helper = findBootClass(env, kLauncherHelper);
    if (helper == nullptr) {
        env->ExceptionClear(); // an older VM without the class: take the other path
        return nullptr;
    }
    jmethodID check = env->GetStaticMethodID(helper, kCheckAndLoadMain, kCheckAndLoadMainSignature);
    if (check == nullptr) {
        env->ExceptionClear();
        return nullptr;
    }
    WideString dotted = mainClass;
    dotted.replaceAll(u'/', u'.');
    jstring name = toJavaString(env, dotted);
    if (name == nullptr) {
        return nullptr;
    }
    auto found = static_cast<jclass>(
        env->CallStaticObjectMethod(helper, check, JNI_TRUE, kLoadClassByName, name));
    // Asked whatever the result: JNI wants every call that may throw checked.
    if (env->ExceptionCheck() && found == nullptr) {
        env->ExceptionDescribe();
    }
    return found;
}

jclass loadMainThroughFindClass(JNIEnv* env, const WideString& mainClass) {
    jstring name = toJavaString(env, mainClass);
    if (name == nullptr) {
        reportMessage(msg::kMainClassLoadFailed, {mainClass});
        return nullptr;
    }
    const char* modifiedUtf8 = env->GetStringUTFChars(name, nullptr);
    if (modifiedUtf8 == nullptr) {
        env->ExceptionDescribe();
        return nullptr;
    }
    jclass found = env->FindClass(modifiedUtf8);
    env->ReleaseStringUTFChars(name, modifiedUtf8);
    if (found == nullptr) {
        env->ExceptionDescribe();
        reportMessage(msg::kMainClassNotFound, {mainClass});
    }
    return found;
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

bool ibmRuntimesAdmitted(const LauncherSettings& settings) noexcept {
    return settings.ibmAllowed || settings.ibmFavoured;
}

uint32_t JavaHost::runApplicationThread(void* host) {
    auto* java = static_cast<JavaHost*>(host);
    if (java == nullptr) {
        return 1;
    }
    if (!java->createVm()) {
        return 1;
    }
    if (java->invokeMain()) {
        java->destroyVm();
        return 0;
    }
    // The teardown destroys the VM from the main thread, and DestroyJavaVM waits for
    // every thread still attached: this one would be waited for for ever once ended.
    // That holds with IBM runtimes admitted too: their rule keeps a thread that ran
    // main in the VM, and a failed invocation never got as far as main.
    java->vm->DetachCurrentThread();
    return 1;
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

    jint result =
        application.library->createJavaVm(&vm, reinterpret_cast<void**>(&environment), &arguments);
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

bool JavaHost::invokeMain() {
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
            return false;
        }
    }
    jmethodID main = env->GetStaticMethodID(mainClass, "main", kMainSignature);
    if (main == nullptr) {
        platform::TraceLine("stop")
            .add("reason", "no-main-method")
            .add("class", mainClassName.view());
        if (env->ExceptionOccurred() == nullptr) {
            reportError(MessageCatalogue::load(msg::kNoMainMethod));
        } else {
            env->ExceptionDescribe();
        }
        return false;
    }
    jobjectArray arguments = toJavaStringArray(env, application.arguments);
    if (arguments == nullptr) {
        env->ExceptionDescribe();
        return false;
    }
    if (signalInstanceReady) {
        signalInstanceReady();
    }
    if (mainStarting) {
        mainStarting();
    }
    if (platform::traceEnabled()) {
        platform::TraceLine("main-call")
            .add("class", mainClassName.view())
            .add("arguments", application.arguments.size());
        for (const WideString& argument : application.arguments) {
            platform::TraceLine("main-argument").add("value", argument.view());
        }
    }
    env->CallStaticVoidMethod(mainClass, main, arguments);

    // An exception main did not catch stays pending for the VM to report, unless
    // the failure decision stops the application (System.exit is called with
    // nothing pending, as JNI wants).
    jthrowable uncaught = env->ExceptionOccurred();
    platform::TraceLine("main-returned").add("exception", uncaught != nullptr);
    if (uncaught != nullptr && application.failureCheck &&
        decideOnFailure(env, uncaught, application.failureDecision)) {
        env->ExceptionClear();
        callSystemExit(env, -1);
    }
    if (application.ibmRuntimesAdmitted) {
        waitForever(); // those runtimes must not see the thread leave
    }
    return vm->DetachCurrentThread() == JNI_OK;
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

namespace {

// The String class and its char[] constructor, looked up once per conversion run;
// the class reference is released with the object.
class StringFactory {
  public:
    explicit StringFactory(JNIEnv* env) : env_(env), class_(env->FindClass("java/lang/String")) {
        if (class_ != nullptr) {
            constructor_ = env->GetMethodID(class_, "<init>", "([C)V");
        }
    }
    ~StringFactory() {
        if (class_ != nullptr) {
            env_->DeleteLocalRef(class_);
        }
    }
    StringFactory(const StringFactory&) = delete;
    StringFactory& operator=(const StringFactory&) = delete;

    jclass stringClass() const { return constructor_ == nullptr ? nullptr : class_; }

    // One local reference on success (the string), none on failure.
    jstring make(std::u16string_view text) const {
        auto length = static_cast<jsize>(text.size());
        jcharArray units = env_->NewCharArray(length);
        if (units == nullptr) {
            return nullptr;
        }
        env_->SetCharArrayRegion(units, 0, length, javaChars(text));
        jstring result = nullptr;
        if (env_->ExceptionOccurred() == nullptr) {
            result = static_cast<jstring>(env_->NewObject(class_, constructor_, units));
        }
        env_->DeleteLocalRef(units);
        return result;
    }

  private:
    JNIEnv* env_;
    jclass class_;
    jmethodID constructor_ = nullptr;
};

} // namespace

jstring toJavaString(JNIEnv* env, std::u16string_view text) {
    StringFactory strings(env);
    if (strings.stringClass() == nullptr) {
        return nullptr;
    }
    return strings.make(text);
}

// Each element's reference is dropped as soon as the array holds it, so the count
// of local references stays the same whatever the number of texts.
jobjectArray toJavaStringArray(JNIEnv* env, const WideStringList& texts) {
    StringFactory strings(env);
    if (strings.stringClass() == nullptr) {
        return nullptr;
    }
    jobjectArray array =
        env->NewObjectArray(static_cast<jsize>(texts.size()), strings.stringClass(), nullptr);
    if (array == nullptr) {
        return nullptr;
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        jstring element = strings.make(texts[i]);
        if (element == nullptr) {
            env->DeleteLocalRef(array);
            return nullptr;
        }
        env->SetObjectArrayElement(array, static_cast<jsize>(i), element);
        env->DeleteLocalRef(element);
    }
    return array;
}

void callSystemExit(JNIEnv* env, int32_t code) {
    jclass system = env->FindClass("java/lang/System");
    if (system == nullptr) {
        return;
    }
    jmethodID exit = env->GetStaticMethodID(system, "exit", "(I)V");
    if (exit == nullptr) {
        return;
    }
    env->CallStaticVoidMethod(system, exit, static_cast<jint>(code));
    if (env->ExceptionOccurred() != nullptr) {
        env->ExceptionDescribe();
    }
}

} // namespace launcher
