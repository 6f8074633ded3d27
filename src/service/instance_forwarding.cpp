// The call of secondaryMain on a thread attached for one forwarded start.
#include "service/instance_forwarding.h"

#include "platform/text.h"
#include "platform/trace.h"

#include <string>

namespace launcher {

namespace {

constexpr char kSecondaryMain[] = "secondaryMain";
constexpr char kVoidSignature[] = "([Ljava/lang/String;)V";
constexpr char kIntSignature[] = "([Ljava/lang/String;)I";

// Whatever stops early leaves its exception pending for the caller to describe.
void callSecondaryMain(JNIEnv* env, const SecondaryMainTarget& target,
                       const WideStringList& arguments, const std::function<void(int32_t)>& reply) {
    std::string className = platform::wideToNarrow(target.mainClass);
    jclass mainClass = env->FindClass(className.c_str());
    if (mainClass == nullptr) {
        return;
    }
    bool returnsInt = false;
    jmethodID method = env->GetStaticMethodID(mainClass, kSecondaryMain, kVoidSignature);
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
    }
    if (method == nullptr) {
        method = env->GetStaticMethodID(mainClass, kSecondaryMain, kIntSignature);
        returnsInt = true;
        if (method == nullptr) {
            return;
        }
    }
    jobjectArray array = target.toStringArray(env, arguments);
    if (array == nullptr) {
        return;
    }
    platform::TraceLine("single-instance-forwarded")
        .add("arguments", arguments.size())
        .add("returns", returnsInt ? "int" : "void");
    if (returnsInt) {
        jint answer = env->CallStaticIntMethod(mainClass, method, array);
        platform::TraceLine("single-instance-answer").add("code", static_cast<int32_t>(answer));
        reply(static_cast<int32_t>(answer));
    } else {
        // The second instance may end while secondaryMain still runs.
        reply(0);
        env->CallStaticVoidMethod(mainClass, method, array);
    }
}

} // namespace

void forwardToSecondaryMain(JavaVM* vm, const SecondaryMainTarget& target,
                            const WideStringList& arguments,
                            const std::function<void(int32_t)>& reply) {
    JNIEnv* env = nullptr;
    if (vm == nullptr || target.toStringArray == nullptr ||
        vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        return;
    }
    callSecondaryMain(env, target, arguments, reply);
    if (env->ExceptionCheck()) {
        env->ExceptionDescribe();
    }
    if (!target.ibmRuntimesAdmitted) {
        vm->DetachCurrentThread();
    }
}

} // namespace launcher
