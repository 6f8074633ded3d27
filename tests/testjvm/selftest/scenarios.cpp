// What a child process of the self-test does: each scenario ends the process the way
// the test JVM ends it, so the parent can look at the exit code and the output.
#include "jvm_client.h"

#include <cstring>
#include <map>
#include <thread>

namespace testjvm::selftest {

namespace {

// A scenario that returns has failed to end the process.
constexpr int kScenarioReturned = 100;

JNIEnv* createOrDie(const LoadedJvm& jvm, const std::vector<std::string>& options = {}) {
    CreateRequest request;
    request.options = options;
    CreatedVm created = createVm(jvm, request);
    if (created.result != JNI_OK) {
        std::fprintf(stderr, "creation failed: %ld\n", static_cast<long>(created.result));
        std::exit(kScenarioReturned + 1);
    }
    return created.env;
}

void checkAndLoadMain(const LoadedJvm& jvm, const char* name, bool printToStderr) {
    JNIEnv* env = createOrDie(jvm);
    jclass helper = jvm.findBootClass(env, "sun/launcher/LauncherHelper");
    jmethodID check = env->GetStaticMethodID(helper, "checkAndLoadMain",
                                             "(ZILjava/lang/String;)Ljava/lang/Class;");
    env->CallStaticObjectMethod(helper, check, printToStderr ? JNI_TRUE : JNI_FALSE, jint{1},
                                env->NewStringUTF(name));
}

void exitFromAttachedThread(const LoadedJvm& jvm) {
    CreatedVm created = createVm(jvm, {});
    std::thread other([vm = created.vm] {
        JNIEnv* env = nullptr;
        vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr);
        jclass system = env->FindClass("java/lang/System");
        env->CallStaticVoidMethod(system, env->GetStaticMethodID(system, "exit", "(I)V"), jint{0});
    });
    other.detach();
    callMain(created.env, "testapp/Service", {});
}

} // namespace

int runScenario(const std::string& name) {
    LoadedJvm jvm = LoadedJvm::fromBuild();
    if (name == "exit-7") {
        callMain(createOrDie(jvm, {"-Dtestjvm.exit.code=7"}), "testapp/Exit", {});
    } else if (name == "exit-default") {
        callMain(createOrDie(jvm), "testapp/Exit", {});
    } else if (name == "exit-from-attached-thread") {
        exitFromAttachedThread(jvm);
    } else if (name == "missing-main-class") {
        checkAndLoadMain(jvm, "testapp.Missing", true);
    } else if (name == "missing-main-class-stdout") {
        checkAndLoadMain(jvm, "testapp.Missing", false);
    } else if (name == "missing-main-method") {
        checkAndLoadMain(jvm, "testapp.NoMain", true);
    } else if (name == "unimplemented-env-slot") {
        JNIEnv* env = createOrDie(jvm);
        // Slot 10 of the table is GetSuperclass, which no launcher needs.
        env->functions->GetSuperclass(env, env->FindClass("java/lang/String"));
    } else if (name == "unimplemented-vm-slot") {
        CreatedVm created = createVm(jvm, {});
        using Reserved = void(JNICALL*)();
        reinterpret_cast<Reserved>(created.vm->functions->reserved1)();
    } else if (name == "deleted-reference") {
        JNIEnv* env = createOrDie(jvm);
        jstring text = env->NewStringUTF("gone");
        env->DeleteLocalRef(text);
        env->GetStringLength(text);
    } else if (name == "foreign-environment") {
        JNIEnv* env = createOrDie(jvm);
        std::thread([env] { env->FindClass("java/lang/String"); }).join();
    } else {
        std::fprintf(stderr, "no scenario %s\n", name.c_str());
    }
    return kScenarioReturned;
}

} // namespace testjvm::selftest
