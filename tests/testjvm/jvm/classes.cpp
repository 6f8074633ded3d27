// The classes the test JVM knows, with their methods, and the scripted applications.
#include "objects.h"
#include "record.h"
#include "runtime.h"
#include "text.h"

#include <charconv>
#include <chrono>
#include <map>

namespace testjvm {

namespace {

constexpr const char* kMainSignature = "([Ljava/lang/String;)V";

struct Registry {
    std::mutex mutex;
    std::deque<ClassObject> classes;
    std::map<std::string, ClassObject*, std::less<>> byName;
    std::unordered_set<const void*> methods;

    ClassObject& define(const std::string& name, const char* super,
                        ClassReach reach = ClassReach::Everywhere) {
        ClassObject* classClass =
            byName.count("java/lang/Class") ? byName["java/lang/Class"] : nullptr;
        ClassObject* superClass = super != nullptr ? byName.at(super) : nullptr;
        ClassObject& added = classes.emplace_back(classClass, name, superClass, reach);
        byName[name] = &added;
        return added;
    }

    void add(ClassObject& owner, const char* name, const char* signature, bool isStatic,
             MethodBody body) {
        Method& method =
            owner.methods.emplace_back(Method{&owner, name, signature, isStatic, body});
        methods.insert(&method);
    }
};

Registry& registry();

StringObject* newString(std::u16string text) {
    return allocate<StringObject>(knownClass("java/lang/String"), std::move(text));
}

Value objectValue(Object* object) {
    Value value;
    value.ref = object;
    return value;
}

// ---- java.lang and java.io ----

Value stringFromChars(ThreadState& thread, Object*, const Value* arguments) {
    auto* chars = static_cast<CharArrayObject*>(arguments[0].ref);
    if (chars == nullptr) {
        throwNew(thread, "java/lang/NullPointerException");
        return {};
    }
    return objectValue(newString(chars->chars));
}

std::string describeStream(const Object* stream) {
    if (stream == nullptr) {
        return "null";
    }
    if (auto* print = dynamic_cast<const PrintStreamObject*>(stream)) {
        return describeStream(print->target);
    }
    if (auto* file = dynamic_cast<const FileOutputStreamObject*>(stream)) {
        if (file->standard) {
            return file->stream == os::StandardStream::Output ? "<stdout>" : "<stderr>";
        }
        return escapeForRecord(file->path);
    }
    return "<memory>";
}

Value setStream(Object* stream, bool output) {
    record(output ? "setOut" : "setErr", describeStream(stream));
    auto* print = static_cast<PrintStreamObject*>(stream);
    std::lock_guard lock(vm().mutex);
    (output ? vm().out : vm().err) = print;
    return {};
}

Value openFileOutputStream(ThreadState& thread, Object*, const Value* arguments) {
    auto* name = static_cast<StringObject*>(arguments[0].ref);
    if (name == nullptr) {
        throwNew(thread, "java/lang/NullPointerException");
        return {};
    }
    std::string reason;
    auto file = os::OutputFile::open(toUtf8(name->text), arguments[1].prim.z != JNI_FALSE, reason);
    if (file == nullptr) {
        throwNew(thread, "java/io/FileNotFoundException",
                 name->text + u" (" + fromUtf8(reason) + u")");
        return {};
    }
    return objectValue(allocate<FileOutputStreamObject>(knownClass("java/io/FileOutputStream"),
                                                        std::move(file), name->text));
}

Value newPrintStream(ThreadState& thread, Object*, const Value* arguments) {
    auto* target = static_cast<OutputStreamObject*>(arguments[0].ref);
    if (target == nullptr) {
        throwNew(thread, "java/lang/NullPointerException", u"Null output stream");
        return {};
    }
    return objectValue(allocate<PrintStreamObject>(knownClass("java/io/PrintStream"), target));
}

// The test JVM writes and reads UTF-8 only: another encoding name is a caller's fault.
bool isUtf8Name(ThreadState& thread, const Value& name) {
    auto* text = static_cast<StringObject*>(name.ref);
    if (text == nullptr) {
        throwNew(thread, "java/lang/NullPointerException", u"charsetName");
        return false;
    }
    if (text->text != u"UTF-8") {
        fatal("the test JVM knows only the encoding UTF-8, not " + toUtf8(text->text));
    }
    return true;
}

// PrintStream(OutputStream, boolean autoFlush, String encoding): the test JVM never buffers.
Value newEncodedPrintStream(ThreadState& thread, Object* self, const Value* arguments) {
    if (!isUtf8Name(thread, arguments[2])) {
        return {};
    }
    return newPrintStream(thread, self, arguments);
}

Value printStackTrace(ThreadState& thread, Object* self, const Value* arguments) {
    auto* stream = static_cast<PrintStreamObject*>(arguments[0].ref);
    if (stream == nullptr) {
        throwNew(thread, "java/lang/NullPointerException");
        return {};
    }
    std::string text = toUtf8(static_cast<ThrowableObject*>(self)->text()) + os::kLineSeparator;
    std::lock_guard lock(vm().mutex);
    stream->write(text);
    return {};
}

// ---- sun.launcher.LauncherHelper ----

Value checkAndLoadMain(ThreadState& thread, Object*, const Value* arguments) {
    bool printToStderr = arguments[0].prim.z != JNI_FALSE;
    jint mode = arguments[1].prim.i;
    auto* what = static_cast<StringObject*>(arguments[2].ref);
    if (what == nullptr) {
        throwNew(thread, "java/lang/NullPointerException");
        return {};
    }
    record("call", "checkAndLoadMain " + escapeForRecord(what->text));
    if (mode != 1) {
        fatal("checkAndLoadMain mode " + std::to_string(mode) +
              " is not supported (1, a class name, is)");
    }
    // The real helper takes both separators for a class name.
    std::u16string internal = what->text;
    std::u16string dotted = what->text;
    for (size_t i = 0; i < internal.size(); ++i) {
        if (internal[i] == u'.') {
            internal[i] = u'/';
        } else if (dotted[i] == u'/') {
            dotted[i] = u'.';
        }
    }
    auto write = printToStderr ? writeErr : writeOut;
    const std::string newline = os::kLineSeparator;
    ClassObject* found = knownClass(toUtf8(internal));
    if (found == nullptr || found->reach == ClassReach::BootLoaderOnly || found->isArray()) {
        write("Error: Could not find or load main class " + toUtf8(what->text) + newline +
              "Caused by: java.lang.ClassNotFoundException: " + toUtf8(dotted) + newline);
        systemExit(1);
    }
    if (found->findMethod("main", kMainSignature, true) == nullptr) {
        write("Error: Main method not found in class " + toUtf8(dotted) +
              ", please define the main method as:" + newline +
              "   public static void main(String[] args)" + newline +
              "or a JavaFX application class must extend javafx.application.Application" + newline);
        systemExit(1);
    }
    return objectValue(found);
}

// ---- the scripted applications ----

std::vector<std::u16string> stringsOf(const ObjectArrayObject& array) {
    std::vector<std::u16string> texts;
    for (Object* element : array.elements) {
        // Java's string concatenation shows a null element as "null".
        texts.push_back(element != nullptr ? static_cast<StringObject*>(element)->text : u"null");
    }
    return texts;
}

// Records the call and its arguments; false (with NullPointerException pending) for a
// null array, as `args.length` would throw.
bool enterMain(ThreadState& thread, const char* className, const Value* arguments,
               std::vector<std::u16string>& texts) {
    record("main", className);
    auto* array = static_cast<ObjectArrayObject*>(arguments[0].ref);
    if (array == nullptr) {
        throwNew(thread, "java/lang/NullPointerException");
        return false;
    }
    texts = stringsOf(*array);
    record("args.count", std::to_string(texts.size()));
    for (const std::u16string& text : texts) {
        record("arg", escapeForRecord(text));
    }
    return true;
}

// Only a main that returns normally records its end.
Value leaveMain(const char* className) {
    record("main.end", className);
    return {};
}

Value printArgsMain(ThreadState& thread, Object*, const Value* arguments) {
    std::vector<std::u16string> texts;
    if (!enterMain(thread, "testapp/PrintArgs", arguments, texts)) {
        return {};
    }
    const std::string newline = os::kLineSeparator;
    std::string out = "args.count=" + std::to_string(texts.size()) + newline;
    for (size_t i = 0; i < texts.size(); ++i) {
        out += "arg[" + std::to_string(i) + "]=" + toUtf8(texts[i]) + newline;
    }
    writeOut(out);
    return leaveMain("testapp/PrintArgs");
}

Value exitMain(ThreadState& thread, Object*, const Value* arguments) {
    std::vector<std::u16string> texts;
    if (!enterMain(thread, "testapp/Exit", arguments, texts)) {
        return {};
    }
    std::string text = property("testjvm.exit.code").value_or("3");
    jint code = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), code);
    if (error != std::errc() || end != text.data() + text.size()) {
        throwNew(thread, "java/lang/NumberFormatException",
                 u"For input string: \"" + fromUtf8(text) + u"\"");
        return {};
    }
    systemExit(code);
}

Value throwMain(ThreadState& thread, Object*, const Value* arguments) {
    std::vector<std::u16string> texts;
    if (!enterMain(thread, "testapp/Throw", arguments, texts)) {
        return {};
    }
    throwNew(thread, "java/lang/IllegalStateException", u"thrown by main");
    return {};
}

Value nonDaemonMain(ThreadState& thread, Object*, const Value* arguments) {
    std::vector<std::u16string> texts;
    if (!enterMain(thread, "testapp/NonDaemon", arguments, texts)) {
        return {};
    }
    {
        std::lock_guard lock(vm().mutex);
        ++vm().nonDaemonThreads;
    }
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        writeOut(std::string("non-daemon thread finished") + os::kLineSeparator);
        record("nondaemon=finished");
        std::lock_guard lock(vm().mutex);
        --vm().nonDaemonThreads;
        vm().changed.notify_all();
    }).detach();
    return leaveMain("testapp/NonDaemon");
}

// Until stop() is called, or for testjvm.wait.ms milliseconds when that is set.
void waitForStop() {
    std::optional<std::string> limit = property("testjvm.wait.ms");
    long milliseconds = -1;
    if (limit) {
        std::from_chars(limit->data(), limit->data() + limit->size(), milliseconds);
    }
    std::unique_lock lock(vm().mutex);
    auto stopped = [] {
        return vm().stopRequested;
    };
    if (milliseconds >= 0) {
        if (!vm().changed.wait_for(lock, std::chrono::milliseconds(milliseconds), stopped)) {
            lock.unlock();
            record("wait.timeout");
        }
    } else {
        vm().changed.wait(lock, stopped);
    }
}

template <const char* ClassName>
Value waitingMain(ThreadState& thread, Object*, const Value* arguments) {
    std::vector<std::u16string> texts;
    if (!enterMain(thread, ClassName, arguments, texts)) {
        return {};
    }
    waitForStop();
    return leaveMain(ClassName);
}

constexpr char kService[] = "testapp/Service";
constexpr char kForward[] = "testapp/Forward";
constexpr char kForwardInt[] = "testapp/ForwardInt";

Value stopMethod(ThreadState&, Object*, const Value*) {
    record("stop");
    std::lock_guard lock(vm().mutex);
    vm().stopRequested = true;
    vm().changed.notify_all();
    return {};
}

// secondaryMain=[a] [b c]: each argument in brackets, so that empty ones and spaces show.
Value secondaryMain(ThreadState& thread, Object*, const Value* arguments) {
    auto* array = static_cast<ObjectArrayObject*>(arguments[0].ref);
    if (array == nullptr) {
        throwNew(thread, "java/lang/NullPointerException");
        return {};
    }
    std::vector<std::u16string> texts = stringsOf(*array);
    std::string joined;
    for (const std::u16string& text : texts) {
        joined += (joined.empty() ? "[" : " [") + escapeForRecord(text) + "]";
    }
    record("secondaryMain", joined);
    Value result;
    result.prim.i = static_cast<jint>(texts.size());
    return result;
}

Value stackMain(ThreadState& thread, Object*, const Value* arguments) {
    std::vector<std::u16string> texts;
    if (!enterMain(thread, "testapp/Stack", arguments, texts)) {
        return {};
    }
    record("thread.stack", std::to_string(os::currentThreadStackSize()));
    return leaveMain("testapp/Stack");
}

Registry* build() {
    auto* r = new Registry;
    r->define("java/lang/Object", nullptr);
    ClassObject& classClass = r->define("java/lang/Class", "java/lang/Object");
    for (ClassObject& made : r->classes) {
        made.type = &classClass;
    }

    ClassObject& string = r->define("java/lang/String", "java/lang/Object");
    r->add(string, "<init>", "([C)V", false, stringFromChars);

    ClassObject& system = r->define("java/lang/System", "java/lang/Object");
    r->add(system, "exit", "(I)V", true,
           [](ThreadState&, Object*, const Value* arguments) -> Value {
               systemExit(arguments[0].prim.i);
           });
    r->add(system, "setOut", "(Ljava/io/PrintStream;)V", true,
           [](ThreadState&, Object*, const Value* arguments) {
               return setStream(arguments[0].ref, true);
           });
    r->add(system, "setErr", "(Ljava/io/PrintStream;)V", true,
           [](ThreadState&, Object*, const Value* arguments) {
               return setStream(arguments[0].ref, false);
           });

    r->define("java/io/OutputStream", "java/lang/Object");
    ClassObject& fileStream = r->define("java/io/FileOutputStream", "java/io/OutputStream");
    r->add(fileStream, "<init>", "(Ljava/lang/String;Z)V", false, openFileOutputStream);
    ClassObject& bytes = r->define("java/io/ByteArrayOutputStream", "java/io/OutputStream");
    r->add(bytes, "<init>", "()V", false, [](ThreadState&, Object*, const Value*) {
        return objectValue(
            allocate<ByteArrayOutputStreamObject>(knownClass("java/io/ByteArrayOutputStream")));
    });
    r->add(bytes, "toString", "()Ljava/lang/String;", false,
           [](ThreadState&, Object* self, const Value*) {
               return objectValue(
                   newString(fromUtf8(static_cast<ByteArrayOutputStreamObject*>(self)->bytes)));
           });
    r->add(bytes, "toString", "(Ljava/lang/String;)Ljava/lang/String;", false,
           [](ThreadState& thread, Object* self, const Value* arguments) {
               if (!isUtf8Name(thread, arguments[0])) {
                   return Value{};
               }
               return objectValue(
                   newString(fromUtf8(static_cast<ByteArrayOutputStreamObject*>(self)->bytes)));
           });
    r->define("java/io/FilterOutputStream", "java/io/OutputStream");
    ClassObject& print = r->define("java/io/PrintStream", "java/io/FilterOutputStream");
    r->add(print, "<init>", "(Ljava/io/OutputStream;)V", false, newPrintStream);
    r->add(print, "<init>", "(Ljava/io/OutputStream;ZLjava/lang/String;)V", false,
           newEncodedPrintStream);

    ClassObject& throwable = r->define("java/lang/Throwable", "java/lang/Object");
    r->add(throwable, "printStackTrace", "(Ljava/io/PrintStream;)V", false, printStackTrace);
    r->add(throwable, "toString", "()Ljava/lang/String;", false,
           [](ThreadState&, Object* self, const Value*) {
               return objectValue(newString(static_cast<ThrowableObject*>(self)->text()));
           });
    r->add(throwable, "getMessage", "()Ljava/lang/String;", false,
           [](ThreadState&, Object* self, const Value*) {
               auto* thrown = static_cast<ThrowableObject*>(self);
               return objectValue(thrown->hasMessage ? newString(thrown->message) : nullptr);
           });
    const char* throwables[][2] = {
        {"java/lang/Exception", "java/lang/Throwable"},
        {"java/lang/RuntimeException", "java/lang/Exception"},
        {"java/lang/IllegalStateException", "java/lang/RuntimeException"},
        {"java/lang/IllegalArgumentException", "java/lang/RuntimeException"},
        {"java/lang/NumberFormatException", "java/lang/IllegalArgumentException"},
        {"java/lang/NullPointerException", "java/lang/RuntimeException"},
        {"java/lang/IndexOutOfBoundsException", "java/lang/RuntimeException"},
        {"java/lang/ArrayIndexOutOfBoundsException", "java/lang/IndexOutOfBoundsException"},
        {"java/lang/ArrayStoreException", "java/lang/RuntimeException"},
        {"java/lang/NegativeArraySizeException", "java/lang/RuntimeException"},
        {"java/lang/InstantiationException", "java/lang/Exception"},
        {"java/io/IOException", "java/lang/Exception"},
        {"java/io/FileNotFoundException", "java/io/IOException"},
        {"java/lang/Error", "java/lang/Throwable"},
        {"java/lang/LinkageError", "java/lang/Error"},
        {"java/lang/NoClassDefFoundError", "java/lang/LinkageError"},
        {"java/lang/IncompatibleClassChangeError", "java/lang/LinkageError"},
        {"java/lang/NoSuchMethodError", "java/lang/IncompatibleClassChangeError"},
    };
    for (auto& [name, super] : throwables) {
        r->define(name, super);
    }

    ClassObject& helper =
        r->define("sun/launcher/LauncherHelper", "java/lang/Object", ClassReach::BootLoaderOnly);
    r->add(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;", true,
           checkAndLoadMain);

    auto application = [&](const char* name) -> ClassObject& {
        return r->define(name, "java/lang/Object", ClassReach::ApplicationOnly);
    };
    r->add(application("testapp/PrintArgs"), "main", kMainSignature, true, printArgsMain);
    r->add(application("testapp/Exit"), "main", kMainSignature, true, exitMain);
    r->add(application("testapp/Throw"), "main", kMainSignature, true, throwMain);
    r->add(application("testapp/NonDaemon"), "main", kMainSignature, true, nonDaemonMain);
    r->add(application("testapp/Stack"), "main", kMainSignature, true, stackMain);
    application("testapp/NoMain");
    application("testapp/NoMainQuiet").quietMissingStatics = true;
    ClassObject& service = application(kService);
    r->add(service, "main", kMainSignature, true, waitingMain<kService>);
    r->add(service, "stop", "()V", true, stopMethod);
    ClassObject& forward = application(kForward);
    r->add(forward, "main", kMainSignature, true, waitingMain<kForward>);
    r->add(forward, "stop", "()V", true, stopMethod);
    r->add(forward, "secondaryMain", kMainSignature, true, secondaryMain);
    ClassObject& forwardInt = application(kForwardInt);
    r->add(forwardInt, "main", kMainSignature, true, waitingMain<kForwardInt>);
    r->add(forwardInt, "stop", "()V", true, stopMethod);
    r->add(forwardInt, "secondaryMain", "([Ljava/lang/String;)I", true, secondaryMain);

    r->define("[C", "java/lang/Object");
    return r;
}

Registry& registry() {
    static Registry* instance = build();
    return *instance;
}

} // namespace

char Method::returnKind() const {
    char kind = signature[signature.find(')') + 1];
    return kind == '[' ? 'L' : kind;
}

std::vector<std::string> Method::parameters() const {
    std::vector<std::string> descriptors;
    size_t i = 1;
    while (i < signature.size() && signature[i] != ')') {
        size_t begin = i;
        while (signature[i] == '[') {
            ++i;
        }
        i = signature[i] == 'L' ? signature.find(';', i) + 1 : i + 1;
        descriptors.push_back(signature.substr(begin, i - begin));
    }
    return descriptors;
}

const Method* ClassObject::findMethod(std::string_view methodName, std::string_view signature,
                                      bool isStatic) const {
    for (const ClassObject* at = this; at != nullptr; at = at->super) {
        for (const Method& method : at->methods) {
            if (method.name == methodName && method.signature == signature &&
                method.isStatic == isStatic) {
                return &method;
            }
        }
        // Constructors belong to their own class only.
        if (methodName == "<init>") {
            break;
        }
    }
    return nullptr;
}

bool ClassObject::isSubclassOf(const ClassObject* other) const {
    for (const ClassObject* at = this; at != nullptr; at = at->super) {
        if (at == other) {
            return true;
        }
    }
    if (component != nullptr && other->component != nullptr) {
        return component->isSubclassOf(other->component);
    }
    return false;
}

std::string ClassObject::javaName() const {
    if (name == "[C") {
        return "char[]";
    }
    if (component != nullptr) {
        return component->javaName() + "[]";
    }
    std::string dotted = name;
    for (char& c : dotted) {
        if (c == '/') {
            c = '.';
        }
    }
    return dotted;
}

std::u16string ThrowableObject::text() const {
    std::u16string text = fromUtf8(type->javaName());
    if (hasMessage) {
        text += u": " + message;
    }
    return text;
}

void FileOutputStreamObject::write(std::string_view bytes) {
    if (standard) {
        os::writeStandard(stream, bytes);
    } else {
        file->write(bytes);
    }
}

namespace {

// The class for an internal name; array classes of known classes are made on first
// use. The caller holds the registry's mutex.
ClassObject* findLocked(Registry& r, std::string_view name) {
    auto found = r.byName.find(name);
    if (found != r.byName.end()) {
        return found->second;
    }
    if (name.size() < 2 || name[0] != '[') {
        return nullptr;
    }
    std::string_view element = name.substr(1);
    ClassObject* component = nullptr;
    if (element[0] == '[') {
        component = findLocked(r, element);
    } else if (element.size() > 2 && element[0] == 'L' && element.back() == ';') {
        component = findLocked(r, element.substr(1, element.size() - 2));
    }
    if (component == nullptr) {
        return nullptr;
    }
    ClassObject& made = r.classes.emplace_back(r.byName["java/lang/Class"], std::string(name),
                                               r.byName["java/lang/Object"], component->reach);
    made.component = component;
    r.byName[made.name] = &made;
    return &made;
}

} // namespace

ClassObject* knownClass(std::string_view name) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return findLocked(r, name);
}

ClassObject* classOfDescriptor(std::string_view descriptor) {
    if (descriptor.size() > 2 && descriptor[0] == 'L') {
        return knownClass(descriptor.substr(1, descriptor.size() - 2));
    }
    return descriptor[0] == '[' ? knownClass(descriptor) : nullptr;
}

ClassObject* arrayClassOf(ClassObject* component) {
    return knownClass(component->name[0] == '[' ? "[" + component->name
                                                : "[L" + component->name + ";");
}

bool isKnownMethod(const void* method) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.methods.count(method) != 0;
}

} // namespace testjvm
