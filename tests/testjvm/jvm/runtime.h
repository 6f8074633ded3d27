// The VM's state shared by the invocation interface, the JNI functions and the
// classes: threads with their JNI environments, references, exceptions, System.out
// and System.err, and the ways the process ends.
#pragma once

#include "objects.h"

#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_set>

namespace testjvm {

constexpr jint kHighestJniVersion = 0x00150000;
bool isSupportedJniVersion(jint version);

// The JNIEnv handed out and the thread it belongs to, side by side so that a JNI
// function can find its thread from the environment pointer.
struct EnvBlock {
    JNIEnv env;
    ThreadState* thread;
};

struct ThreadState {
    EnvBlock block{};
    std::thread::id owner;
    std::string name;
    bool daemon = false;
    bool attached = true;
    ThrowableObject* pending = nullptr;
};

// A local reference. References are never freed, so that a launcher that uses one
// after DeleteLocalRef, or on another thread, is told so instead of crashing.
struct Ref {
    Object* target;
    ThreadState* owner;
    bool live;
};

using ExitHook = void(JNICALL*)(jint code);
using AbortHook = void(JNICALL*)();
using VfprintfHook = jint(JNICALL*)(FILE* stream, const char* format, va_list arguments);

struct Vm {
    std::mutex mutex;
    std::condition_variable changed;

    bool created = false; // a VM was created in this process (it stays true)
    bool alive = false;   // created and not yet destroyed
    JavaVM javaVm{};
    ExitHook exitHook = nullptr;
    AbortHook abortHook = nullptr;
    VfprintfHook vfprintfHook = nullptr;
    std::map<std::string, std::string> properties;

    // Threads DestroyJavaVM waits for: attached non-daemon threads and the
    // application's own non-daemon threads.
    int nonDaemonThreads = 0;
    int nextThreadNumber = 0;
    bool stopRequested = false;

    PrintStreamObject* out = nullptr;
    PrintStreamObject* err = nullptr;

    // Everything the VM made, kept until the process ends.
    std::vector<std::unique_ptr<Object>> heap;
    std::vector<std::unique_ptr<Ref>> refs;
    std::unordered_set<const Ref*> knownRefs;
    std::vector<std::unique_ptr<ThreadState>> threads;
    std::unordered_set<const void*> knownEnvs;
    std::map<const void*, std::unique_ptr<char[]>> utfBuffers;
    std::map<const void*, std::unique_ptr<jchar[]>> charBuffers;
};

Vm& vm();

// The calling thread's state while it is attached; null otherwise.
ThreadState* currentThread();
void setCurrentThread(ThreadState* thread);

// A new attached thread; the caller holds vm().mutex.
ThreadState* attachLocked(std::string name, bool daemon);
// Takes the thread out of the VM; the caller holds vm().mutex.
void detachLocked(ThreadState& thread);

// The thread behind a JNIEnv the launcher passed in. Calling a function that JNI
// forbids while an exception is pending is recorded, not refused.
ThreadState& enter(JNIEnv* env, const char* function, bool allowedWithPendingException = false);

template <class T, class... Arguments> T* allocate(Arguments&&... arguments) {
    auto object = std::make_unique<T>(std::forward<Arguments>(arguments)...);
    T* raw = object.get();
    std::lock_guard lock(vm().mutex);
    vm().heap.push_back(std::move(object));
    return raw;
}

jobject newRef(ThreadState& thread, Object* target);
// Null for null; a reference that is not a live local reference of this thread is fatal.
Object* resolve(ThreadState& thread, jobject ref, const char* function);
void deleteRef(ThreadState& thread, jobject ref);

// Sets a new exception of the named class as the thread's pending exception.
void throwNew(ThreadState& thread, const char* className, std::u16string message);
void throwNew(ThreadState& thread, const char* className);

// Output of the application, through System.out and System.err as they stand.
void writeOut(std::string_view bytes);
void writeErr(std::string_view bytes);
// A message of the VM itself, through the "vfprintf" hook when one was given.
void vmMessage(const std::string& text);
void printThroughHook(VfprintfHook hook, const std::string& text);

std::optional<std::string> property(const std::string& name);

// Throwable.printStackTrace on the error stream (the test JVM has no frames to show).
void printThrowable(ThrowableObject& throwable);

// System.exit: records, calls the VM's exit hook, ends the process.
[[noreturn]] void systemExit(jint code);
// A fault of the program that drives the VM: told on stderr and in the record, then
// the process aborts (after the VM's abort hook).
[[noreturn]] void fatal(const std::string& message);

} // namespace testjvm
