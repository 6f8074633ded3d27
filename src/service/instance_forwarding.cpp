// The call of secondaryMain on a thread attached for one forwarded start.
#include "service/instance_forwarding.h"

#include "java/jni_support.h"
#include "messages/error_output.h"
#include "platform/trace.h"

namespace launcher {

namespace {

constexpr char kSecondaryMain[] = "secondaryMain";
constexpr char kVoidSignature[] = "([Ljava/lang/String;)V";
constexpr char kIntSignature[] = "([Ljava/lang/String;)I";

// Whatever stops early leaves its exception pending for the caller to describe.
void callSecondaryMain(JNIEnv* env, const SecondaryMainTarget& target,
                       const WideStringList& arguments, const std::function<void(int32_t)>& reply) {
    // The class name in the ANSI code page, as forwarding has always looked it up.
    LocalReference mainClass(env, findClass(env, target.mainClass, ClassNameEncoding::CodePage));
    if (!mainClass) {
        return;
    }
    bool returnsInt = false;
    jmethodID method = env->GetStaticMethodID(mainClass.asClass(), kSecondaryMain, kVoidSignature);
    clearExpectedException(env);
    if (method == nullptr) {
        method = env->GetStaticMethodID(mainClass.asClass(), kSecondaryMain, kIntSignature);
        returnsInt = true;
        if (method == nullptr) {
            return;
        }
    }
    LocalReference array(env, toJavaStringArray(env, arguments));
    if (!array) {
        return;
    }
    platform::TraceLine("single-instance-forwarded")
        .add("arguments", arguments.size())
        .add("returns", returnsInt ? "int" : "void");
    if (returnsInt) {
        jint answer = env->CallStaticIntMethod(mainClass.asClass(), method, array.get());
        platform::TraceLine("single-instance-answer").add("code", static_cast<int32_t>(answer));
        reply(static_cast<int32_t>(answer));
    } else {
        // The second instance may end while secondaryMain still runs.
        reply(0);
        env->CallStaticVoidMethod(mainClass.asClass(), method, array.get());
    }
}

} // namespace

void forwardToSecondaryMain(JavaVM* vm, const SecondaryMainTarget& target,
                            const WideStringList& arguments,
                            const std::function<void(int32_t)>& reply) {
    JNIEnv* env = nullptr;
    if (vm == nullptr ||
        vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        return;
    }
    reportingEscapedErrors([&] { callSecondaryMain(env, target, arguments, reply); });
    exceptionRaised(env);
    if (!target.ibmRuntimesAdmitted) {
        vm->DetachCurrentThread();
    }
}

} // namespace launcher
