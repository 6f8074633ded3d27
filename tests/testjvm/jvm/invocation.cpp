// Creating the VM from its option list, and the JavaVM function table: attaching,
// detaching and destroying.
#include "interfaces.h"
#include "options.h"
#include "record.h"
#include "runtime.h"
#include "text.h"

#include "java/jdk11_init_args.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <utility>

namespace testjvm {

using launcher::Jdk11InitArgs;
using launcher::kJniVersion11;

namespace {

constexpr jint kDefaultJavaStackSize = 1048576;

std::optional<jint> parseInt(std::string_view text) {
    jint value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// What a valid option list asks for, kept only when creation succeeds.
struct Request {
    ExitHook exitHook = nullptr;
    AbortHook abortHook = nullptr;
    VfprintfHook vfprintfHook = nullptr;
    std::map<std::string, std::string> properties;
};

// Records the request as it came and reads it; nothing of the VM changes here.
jint readRequest(const JavaVMInitArgs& arguments, Request& request) {
    record("version", hex32(static_cast<uint32_t>(arguments.version)));
    record("nOptions", std::to_string(arguments.nOptions));
    record("ignoreUnrecognized", std::to_string(static_cast<int>(arguments.ignoreUnrecognized)));
    std::vector<std::string> texts;
    for (jint i = 0; i < arguments.nOptions; ++i) {
        const JavaVMOption& option = arguments.options[i];
        if (option.optionString == nullptr) {
            record("option", "<null>");
            texts.emplace_back();
            continue;
        }
        std::string text = os::platformTextToUtf8(option.optionString);
        if (text == "exit" || text == "abort" || text == "vfprintf") {
            record("option", text + (option.extraInfo != nullptr ? " hook" : ""));
        } else {
            record("option", escapeForRecord(fromUtf8(text)));
        }
        texts.push_back(std::move(text));
    }
    {
        std::lock_guard lock(vm().mutex);
        // HotSpot answers a second creation before it looks at anything else.
        if (vm().created) {
            return JNI_EEXIST;
        }
    }
    if (!isSupportedJniVersion(arguments.version)) {
        return JNI_EVERSION;
    }
    for (jint i = 0; i < arguments.nOptions; ++i) {
        const std::string& text = texts[static_cast<size_t>(i)];
        void* extra = arguments.options[i].extraInfo;
        if (arguments.options[i].optionString == nullptr) {
            printThroughHook(request.vfprintfHook,
                             "Option " + std::to_string(i) + " has no text\n");
            return JNI_ERR;
        }
        if (text == "exit") {
            request.exitHook = reinterpret_cast<ExitHook>(extra);
        } else if (text == "abort") {
            request.abortHook = reinterpret_cast<AbortHook>(extra);
        } else if (text == "vfprintf") {
            request.vfprintfHook = reinterpret_cast<VfprintfHook>(extra);
        } else {
            OptionVerdict verdict = checkOption(text, arguments.ignoreUnrecognized != JNI_FALSE);
            if (verdict.result != JNI_OK) {
                printThroughHook(request.vfprintfHook, verdict.message + "\n");
                return verdict.result;
            }
            if (text.rfind("-D", 0) == 0) {
                size_t equals = text.find('=');
                std::string name = text.substr(2, equals == text.npos ? text.npos : equals - 2);
                request.properties[name] = equals == text.npos ? "" : text.substr(equals + 1);
            }
        }
    }
    auto forced = request.properties.find("testjvm.create.result");
    if (forced != request.properties.end()) {
        std::optional<jint> result = parseInt(forced->second);
        if (!result) {
            printThroughHook(request.vfprintfHook,
                             "testjvm.create.result is not a number: " + forced->second + "\n");
            return JNI_EINVAL;
        }
        return *result;
    }
    return JNI_OK;
}

jint create(JavaVM** pvm, void** penv, const JavaVMInitArgs* arguments) {
    if (pvm == nullptr || penv == nullptr || arguments == nullptr) {
        return JNI_ERR;
    }
    Request request;
    jint result = readRequest(*arguments, request);
    if (result != JNI_OK) {
        return result;
    }
    Vm& machine = vm();
    ThreadState* main = nullptr;
    {
        std::lock_guard lock(machine.mutex);
        if (machine.created) {
            return JNI_EEXIST;
        }
        machine.created = true;
        machine.alive = true;
        machine.exitHook = request.exitHook;
        machine.abortHook = request.abortHook;
        machine.vfprintfHook = request.vfprintfHook;
        machine.properties = std::move(request.properties);
        machine.javaVm.functions = invokeInterface();
        main = attachLocked("main", false);
        main->block.env.functions = nativeInterface();
    }
    ClassObject* fileStream = knownClass("java/io/FileOutputStream");
    ClassObject* printStream = knownClass("java/io/PrintStream");
    auto* out = allocate<PrintStreamObject>(
        printStream, allocate<FileOutputStreamObject>(fileStream, os::StandardStream::Output));
    auto* err = allocate<PrintStreamObject>(
        printStream, allocate<FileOutputStreamObject>(fileStream, os::StandardStream::Error));
    {
        std::lock_guard lock(machine.mutex);
        machine.out = out;
        machine.err = err;
    }
    record("thread.stack", std::to_string(os::currentThreadStackSize()));
    *pvm = &machine.javaVm;
    *penv = &main->block.env;
    return JNI_OK;
}

void checkVm(JavaVM* jvm, const char* function) {
    if (jvm != &vm().javaVm || jvm->functions == nullptr) {
        fatal(std::string(function) + " got a JavaVM the library did not hand out");
    }
}

jint JNICALL DestroyJavaVM(JavaVM* jvm) {
    checkVm(jvm, "DestroyJavaVM");
    record("call", "DestroyJavaVM");
    Vm& machine = vm();
    std::unique_lock lock(machine.mutex);
    if (!machine.alive) {
        return JNI_ERR;
    }
    ThreadState* self = currentThread();
    if (self == nullptr || !self->attached) {
        // The destroying thread becomes a VM thread for the wait, as in HotSpot.
        self = attachLocked("DestroyJavaVM", false);
        self->block.env.functions = nativeInterface();
    }
    int own = self->daemon ? 0 : 1;
    machine.changed.wait(lock, [&] { return machine.nonDaemonThreads <= own; });
    machine.alive = false;
    detachLocked(*self);
    lock.unlock();
    record("destroy");
    return JNI_OK;
}

jint attach(JavaVM* jvm, void** penv, void* rawArguments, bool daemon, const char* function) {
    checkVm(jvm, function);
    if (penv == nullptr) {
        return JNI_ERR;
    }
    auto* arguments = static_cast<JavaVMAttachArgs*>(rawArguments);
    if (arguments != nullptr && !isSupportedJniVersion(arguments->version)) {
        return JNI_EVERSION;
    }
    ThreadState* thread = nullptr;
    {
        std::lock_guard lock(vm().mutex);
        if (!vm().alive) {
            return JNI_ERR;
        }
        thread = currentThread();
        if (thread != nullptr && thread->attached) {
            *penv = &thread->block.env;
            return JNI_OK;
        }
        std::string name = arguments != nullptr && arguments->name != nullptr
                               ? toUtf8(fromModifiedUtf8(arguments->name))
                               : "Thread-" + std::to_string(vm().nextThreadNumber++);
        thread = attachLocked(std::move(name), daemon);
        thread->block.env.functions = nativeInterface();
    }
    record(daemon ? "attach.daemon" : "attach");
    *penv = &thread->block.env;
    return JNI_OK;
}

jint JNICALL AttachCurrentThread(JavaVM* jvm, void** penv, void* arguments) {
    return attach(jvm, penv, arguments, false, "AttachCurrentThread");
}

jint JNICALL AttachCurrentThreadAsDaemon(JavaVM* jvm, void** penv, void* arguments) {
    return attach(jvm, penv, arguments, true, "AttachCurrentThreadAsDaemon");
}

jint JNICALL DetachCurrentThread(JavaVM* jvm) {
    checkVm(jvm, "DetachCurrentThread");
    ThreadState* thread = currentThread();
    if (thread == nullptr || !thread->attached) {
        return JNI_OK;
    }
    // A thread that leaves with an exception pending ends like a Java thread that
    // threw: the default handler prints it on System.err.
    if (ThrowableObject* pending = std::exchange(thread->pending, nullptr)) {
        std::u16string text = pending->text();
        record("uncaught", escapeForRecord(text));
        writeErr("Exception in thread \"" + thread->name + "\" " + toUtf8(text) +
                 os::kLineSeparator);
    }
    // Written while still attached, so that nothing the detach lets go on (such as
    // DestroyJavaVM) can be recorded before it.
    record("detach");
    {
        std::lock_guard lock(vm().mutex);
        detachLocked(*thread);
    }
    return JNI_OK;
}

jint JNICALL GetEnv(JavaVM* jvm, void** penv, jint version) {
    checkVm(jvm, "GetEnv");
    if (penv == nullptr) {
        return JNI_ERR;
    }
    *penv = nullptr;
    std::lock_guard lock(vm().mutex);
    ThreadState* thread = currentThread();
    if (!vm().alive || thread == nullptr || !thread->attached) {
        return JNI_EDETACHED;
    }
    if (version != kJniVersion11 && !isSupportedJniVersion(version)) {
        return JNI_EVERSION;
    }
    *penv = &thread->block.env;
    return JNI_OK;
}

template <size_t Index> void JNICALL unimplemented() {
    fatal("unimplemented JNI function " + std::to_string(Index));
}

JNIInvokeInterface_ makeInvokeInterface() {
    JNIInvokeInterface_ table;
    std::array<void(JNICALL*)(), 3> reserved{&unimplemented<0>, &unimplemented<1>,
                                             &unimplemented<2>};
    static_assert(sizeof(table) == 8 * sizeof(void*), "three reserved slots and five functions");
    std::memcpy(&table, reserved.data(), sizeof reserved);
    table.DestroyJavaVM = DestroyJavaVM;
    table.AttachCurrentThread = AttachCurrentThread;
    table.DetachCurrentThread = DetachCurrentThread;
    table.GetEnv = GetEnv;
    table.AttachCurrentThreadAsDaemon = AttachCurrentThreadAsDaemon;
    return table;
}

} // namespace

const JNIInvokeInterface_* invokeInterface() {
    static const JNIInvokeInterface_ table = makeInvokeInterface();
    return &table;
}

jint getDefaultJavaVmInitArgs(void* arguments) {
    if (arguments == nullptr) {
        record("call", "JNI_GetDefaultJavaVMInitArgs null");
        return JNI_ERR;
    }
    auto* record11 = static_cast<Jdk11InitArgs*>(arguments);
    record("call",
           "JNI_GetDefaultJavaVMInitArgs " + hex32(static_cast<uint32_t>(record11->version)));
    if (record11->version != kJniVersion11) {
        return isSupportedJniVersion(record11->version) ? JNI_OK : JNI_ERR;
    }
    jint size = kDefaultJavaStackSize;
    if (auto text = os::environment("TESTJVM_DEFAULT_STACK")) {
        std::optional<jint> parsed = parseInt(*text);
        if (!parsed) {
            fatal("TESTJVM_DEFAULT_STACK is not a number of bytes: " + *text);
        }
        size = *parsed;
    }
    // HotSpot fills the record but no longer supports version 1.1, so it answers
    // JNI_ERR: a launcher must read the size and ignore the result.
    record11->version = 0x00010002;
    record11->javaStackSize = size;
    return JNI_ERR;
}

jint createJavaVm(JavaVM** pvm, void** penv, void* arguments) {
    record("call", "JNI_CreateJavaVM");
    jint result = create(pvm, penv, static_cast<const JavaVMInitArgs*>(arguments));
    record("create", std::to_string(result));
    return result;
}

jint getCreatedJavaVms(JavaVM** buffer, jsize length, jsize* count) {
    record("call", "JNI_GetCreatedJavaVMs");
    std::lock_guard lock(vm().mutex);
    jsize made = vm().alive ? 1 : 0;
    if (count != nullptr) {
        *count = made;
    }
    if (made > 0 && length > 0 && buffer != nullptr) {
        buffer[0] = &vm().javaVm;
    }
    return JNI_OK;
}

jclass findClassFromBootLoader(JNIEnv* env, const char* name) {
    ThreadState& thread = enter(env, "JVM_FindClassFromBootLoader");
    record("call", "JVM_FindClassFromBootLoader " +
                       escapeForRecord(name != nullptr ? fromModifiedUtf8(name) : u"null"));
    ClassObject* found = name != nullptr ? knownClass(name) : nullptr;
    // The boot loader answers a class it does not have with null and nothing pending.
    if (found == nullptr || found->reach == ClassReach::ApplicationOnly) {
        return nullptr;
    }
    return static_cast<jclass>(newRef(thread, found));
}

} // namespace testjvm
