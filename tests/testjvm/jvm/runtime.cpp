// The test JVM's state: the VM, its threads attaching and detaching, its hooks.
#include "runtime.h"

#include "record.h"
#include "text.h"

#include <cstdlib>

namespace testjvm {

namespace {

thread_local ThreadState* current = nullptr;

void callHook(VfprintfHook hook, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    hook(stderr, format, arguments);
    va_end(arguments);
}

} // namespace

bool isSupportedJniVersion(jint version) {
    switch (version) {
    case 0x00010002:
    case 0x00010004:
    case 0x00010006:
    case 0x00010008:
    case 0x00090000:
    case 0x000a0000:
    case 0x00130000:
    case 0x00140000:
    case 0x00150000:
        return true;
    default:
        return false;
    }
}

Vm& vm() {
    // Never destroyed: exit() may run while other threads still use the VM.
    static Vm* instance = new Vm;
    return *instance;
}

ThreadState* currentThread() {
    return current;
}
void setCurrentThread(ThreadState* thread) {
    current = thread;
}

ThreadState* attachLocked(std::string name, bool daemon) {
    Vm& machine = vm();
    auto thread = std::make_unique<ThreadState>();
    thread->block.thread = thread.get();
    thread->owner = std::this_thread::get_id();
    thread->name = std::move(name);
    thread->daemon = daemon;
    ThreadState* raw = thread.get();
    machine.knownEnvs.insert(&raw->block.env);
    machine.threads.push_back(std::move(thread));
    if (!daemon) {
        ++machine.nonDaemonThreads;
    }
    current = raw;
    return raw;
}

void detachLocked(ThreadState& thread) {
    thread.attached = false;
    if (!thread.daemon) {
        --vm().nonDaemonThreads;
    }
    if (current == &thread) {
        current = nullptr;
    }
    vm().changed.notify_all();
}

ThreadState& enter(JNIEnv* env, const char* function, bool allowedWithPendingException) {
    ThreadState* thread = nullptr;
    {
        std::lock_guard lock(vm().mutex);
        if (env == nullptr || vm().knownEnvs.count(env) == 0) {
            thread = nullptr;
        } else {
            thread = reinterpret_cast<EnvBlock*>(env)->thread;
        }
    }
    if (thread == nullptr) {
        fatal(std::string(function) + " got a JNIEnv the VM did not hand out");
    }
    if (!thread->attached) {
        fatal(std::string(function) + " got the JNIEnv of a thread that left the VM");
    }
    if (thread->owner != std::this_thread::get_id()) {
        fatal(std::string(function) + " got the JNIEnv of another thread");
    }
    if (thread->pending != nullptr && !allowedWithPendingException) {
        record("jni.pending", function);
    }
    return *thread;
}

jobject newRef(ThreadState& thread, Object* target) {
    if (target == nullptr) {
        return nullptr;
    }
    auto ref = std::make_unique<Ref>(Ref{target, &thread, true});
    Ref* raw = ref.get();
    std::lock_guard lock(vm().mutex);
    vm().refs.push_back(std::move(ref));
    vm().knownRefs.insert(raw);
    return reinterpret_cast<jobject>(raw);
}

Object* resolve(ThreadState& thread, jobject ref, const char* function) {
    if (ref == nullptr) {
        return nullptr;
    }
    auto* raw = reinterpret_cast<Ref*>(ref);
    {
        std::lock_guard lock(vm().mutex);
        if (vm().knownRefs.count(raw) == 0) {
            raw = nullptr;
        }
    }
    if (raw == nullptr) {
        fatal(std::string(function) + " got a reference the VM did not hand out");
    }
    if (!raw->live) {
        fatal(std::string(function) + " got a reference that was already deleted");
    }
    if (raw->owner != &thread) {
        fatal(std::string(function) + " got a local reference of another thread");
    }
    return raw->target;
}

void deleteRef(ThreadState& thread, jobject ref) {
    if (ref == nullptr) {
        return;
    }
    resolve(thread, ref, "DeleteLocalRef");
    reinterpret_cast<Ref*>(ref)->live = false;
}

void throwNew(ThreadState& thread, const char* className, std::u16string message) {
    thread.pending = allocate<ThrowableObject>(knownClass(className), std::move(message), true);
}

void throwNew(ThreadState& thread, const char* className) {
    thread.pending = allocate<ThrowableObject>(knownClass(className), u"", false);
}

void writeOut(std::string_view bytes) {
    std::lock_guard lock(vm().mutex);
    if (vm().out != nullptr) {
        vm().out->write(bytes);
    }
}

void writeErr(std::string_view bytes) {
    std::lock_guard lock(vm().mutex);
    if (vm().err != nullptr) {
        vm().err->write(bytes);
    }
}

void printThroughHook(VfprintfHook hook, const std::string& text) {
    if (hook != nullptr) {
        callHook(hook, "%s", text.c_str());
    } else {
        os::writeStandard(os::StandardStream::Error, text);
    }
}

void vmMessage(const std::string& text) {
    VfprintfHook hook = nullptr;
    {
        std::lock_guard lock(vm().mutex);
        hook = vm().vfprintfHook;
    }
    printThroughHook(hook, text);
}

std::optional<std::string> property(const std::string& name) {
    std::lock_guard lock(vm().mutex);
    auto found = vm().properties.find(name);
    if (found == vm().properties.end()) {
        return std::nullopt;
    }
    return found->second;
}

void printThrowable(ThrowableObject& throwable) {
    writeErr(toUtf8(throwable.text()) + os::kLineSeparator);
}

void systemExit(jint code) {
    // Like Java's shutdown lock: a second System.exit waits for good while the first ends the
    // process.
    static auto* exiting = new std::mutex;
    exiting->lock();
    record("exit", std::to_string(code));
    ExitHook hook = nullptr;
    {
        std::lock_guard lock(vm().mutex);
        hook = vm().exitHook;
    }
    if (hook != nullptr) {
        hook(code);
    }
    std::exit(code);
}

void fatal(const std::string& message) {
    os::writeStandard(os::StandardStream::Error, "testjvm: " + message + "\n");
    record("fatal", escapeForRecord(fromUtf8(message)));
    AbortHook hook = nullptr;
    {
        std::lock_guard lock(vm().mutex);
        hook = vm().abortHook;
    }
    if (hook != nullptr) {
        hook();
    }
    std::abort();
}

} // namespace testjvm
