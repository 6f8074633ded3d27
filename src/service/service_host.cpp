// The service front end's portable rules: the added arguments, when stop requests
// reach Java, and what a stop thread does there.
#include "service/service_host.h"

#include "java/jni_support.h"
#include "messages/error_output.h"
#include "platform/thread.h"
#include "platform/trace.h"

namespace launcher {

namespace {

constexpr unsigned kStopPending = 1;
constexpr unsigned kMainCalled = 2;
constexpr unsigned kEnded = 4;

uint32_t stopThread(void* host) {
    static_cast<ServiceHost*>(host)->stopJavaApplication();
    return 0;
}

// The main class's static stop(), or System.exit(0) when it has none. The local
// references made here are gone before the thread leaves the VM.
void callStop(JNIEnv* env, const WideString& mainClassName) {
    // FindClass wants modified UTF-8; the VM's own string conversion gives it for
    // any class name, where a code-page conversion would lose what the page lacks.
    LocalReference mainClass(env, findClass(env, mainClassName, ClassNameEncoding::ModifiedUtf8));
    if (mainClass) {
        jmethodID stop = env->GetStaticMethodID(mainClass.asClass(), "stop", "()V");
        platform::TraceLine("service-stop").add("call", stop != nullptr ? "stop" : "System.exit");
        if (stop != nullptr) {
            env->CallStaticVoidMethodA(mainClass.asClass(), stop, nullptr);
        } else {
            clearExpectedException(env); // the missing method is expected, not a fault
            callSystemExit(env, 0);
        }
    }
    exceptionRaised(env);
}

} // namespace

WideStringList serviceArguments(const WideStringList& startParameters, bool omitServiceName) {
    WideStringList added;
    for (size_t i = 0; i < startParameters.size(); ++i) {
        if (i == 0 && omitServiceName) {
            continue;
        }
        added.push_back(startParameters[i]);
    }
    platform::TraceLine("service-start")
        .add("parameters", startParameters.size())
        .add("omit-service-name", omitServiceName)
        .add("arguments-added", added.size());
    return added;
}

// Whichever of request and mainCalled comes second delivers the kept request, so
// it is delivered exactly once however the two threads interleave.
void StopRequests::request() {
    unsigned before = state_.fetch_or(kStopPending, std::memory_order_acq_rel);
    bool deliverNow = (before & kEnded) == 0 && (before & kMainCalled) != 0;
    platform::TraceLine("service-stop-request")
        .add("delivery", deliverNow               ? "now"
                         : (before & kEnded) != 0 ? "after-end"
                                                  : "kept-until-main");
    if (deliverNow) {
        deliver_();
    }
}

void StopRequests::mainCalled() {
    unsigned before = state_.fetch_or(kMainCalled, std::memory_order_acq_rel);
    bool stopKept = (before & (kStopPending | kMainCalled | kEnded)) == kStopPending;
    platform::TraceLine("service-main-called").add("stop-kept", stopKept);
    if (stopKept) {
        deliver_();
    }
}

void StopRequests::ended() {
    state_.fetch_or(kEnded, std::memory_order_acq_rel);
}

ServiceHost::ServiceHost()
    : stops_([this] {
          // The handler that asked must not wait for Java: each request gets a
          // thread of its own, which ends by itself.
          auto thread = platform::Thread::start(0, &stopThread, this);
          static_cast<void>(thread);
      }) {}

void ServiceHost::stopJavaApplication() {
    JavaVM* vm = vm_;
    if (vm == nullptr) {
        return;
    }
    JNIEnv* env = nullptr;
    if (vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        return;
    }
    reportingEscapedErrors([this, env] { callStop(env, launch_.mainClass); });
    if (!launch_.ibmRuntimesAdmitted) {
        vm->DetachCurrentThread();
    }
}

void ServiceHost::onVmAbort() {}

} // namespace launcher
