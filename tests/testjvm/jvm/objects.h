// The test JVM's object model: classes by name with their methods written in C++,
// strings of UTF-16 units, char and object arrays, throwables and output streams.
#pragma once

#include "os.h"

#include <deque>
#include <jni.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace testjvm {

struct ThreadState;
class ClassObject;
struct Object;

// An argument or result of a Java method: references in `ref`, everything else in `prim`.
struct Value {
    jvalue prim{};
    Object* ref = nullptr;
};

// A method body; `self` is null for static methods. A body that throws sets the
// thread's pending exception and returns an empty Value.
using MethodBody = Value (*)(ThreadState& thread, Object* self, const Value* arguments);

struct Method {
    ClassObject* owner;
    std::string name;
    std::string signature;
    bool isStatic;
    MethodBody body;
    // 'V', 'I', 'Z', 'L' (also for arrays) ... : what the method returns.
    char returnKind() const;
    // The descriptor of each parameter: I, Z, Ljava/lang/String;, [C ...
    std::vector<std::string> parameters() const;
};

struct Object {
    explicit Object(ClassObject* klass) : type(klass) {}
    virtual ~Object() = default;
    ClassObject* type;
};

enum class ClassReach {
    Everywhere,      // FindClass, the boot loader look-up and checkAndLoadMain find it
    BootLoaderOnly,  // only JVM_FindClassFromBootLoader finds it
    ApplicationOnly, // FindClass and checkAndLoadMain, not the boot loader
};

class ClassObject final : public Object {
  public:
    ClassObject(ClassObject* classClass, std::string internalName, ClassObject* superclass,
                ClassReach classReach)
        : Object(classClass), name(std::move(internalName)), super(superclass), reach(classReach) {}

    const Method* findMethod(std::string_view methodName, std::string_view signature,
                             bool isStatic) const;
    bool isSubclassOf(const ClassObject* other) const;
    bool isArray() const { return component != nullptr || name == "[C"; }
    // java.lang.String, or the Java form of an array class (java.lang.String[]).
    std::string javaName() const;

    std::string name; // internal form: java/lang/String, [Ljava/lang/String;
    ClassObject* super;
    ClassReach reach;
    ClassObject* component = nullptr; // element class of an object array class
    // A look-up of a missing static method leaves nothing pending (against the JNI
    // rules) so that a launcher's answer to exactly that case can be tested.
    bool quietMissingStatics = false;
    std::deque<Method> methods;
};

struct StringObject final : Object {
    StringObject(ClassObject* klass, std::u16string value)
        : Object(klass), text(std::move(value)) {}
    std::u16string text;
};

struct CharArrayObject final : Object {
    CharArrayObject(ClassObject* klass, size_t length) : Object(klass), chars(length, u'\0') {}
    std::u16string chars;
};

struct ObjectArrayObject final : Object {
    ObjectArrayObject(ClassObject* klass, size_t length, Object* initial)
        : Object(klass), elements(length, initial) {}
    std::vector<Object*> elements;
};

struct ThrowableObject final : Object {
    ThrowableObject(ClassObject* klass, std::u16string messageText, bool withMessage)
        : Object(klass), message(std::move(messageText)), hasMessage(withMessage) {}
    // Throwable.toString(): the class's Java name and, when there is one, ": " and the message.
    std::u16string text() const;
    std::u16string message;
    bool hasMessage;
};

struct OutputStreamObject : Object {
    using Object::Object;
    virtual void write(std::string_view bytes) = 0;
};

// A FileOutputStream: a file of ours, or the process's standard output or error.
struct FileOutputStreamObject final : OutputStreamObject {
    FileOutputStreamObject(ClassObject* klass, std::unique_ptr<os::OutputFile> output,
                           std::u16string filePath)
        : OutputStreamObject(klass), file(std::move(output)), path(std::move(filePath)) {}
    FileOutputStreamObject(ClassObject* klass, os::StandardStream standardStream)
        : OutputStreamObject(klass), standard(true), stream(standardStream) {}
    void write(std::string_view bytes) override;
    std::unique_ptr<os::OutputFile> file;
    std::u16string path;
    bool standard = false;
    os::StandardStream stream = os::StandardStream::Output;
};

struct ByteArrayOutputStreamObject final : OutputStreamObject {
    using OutputStreamObject::OutputStreamObject;
    void write(std::string_view written) override { bytes += written; }
    std::string bytes;
};

struct PrintStreamObject final : OutputStreamObject {
    PrintStreamObject(ClassObject* klass, OutputStreamObject* destination)
        : OutputStreamObject(klass), target(destination) {}
    void write(std::string_view bytes) override { target->write(bytes); }
    OutputStreamObject* target;
};

// The known classes. Look-ups return null for a name the test JVM does not know.
ClassObject* knownClass(std::string_view name);
// The class a field descriptor names (Lpkg/Name; or an array); null for primitives.
ClassObject* classOfDescriptor(std::string_view descriptor);
// The class of arrays of `component`, made on first use.
ClassObject* arrayClassOf(ClassObject* component);
// Whether the method ID is one the test JVM handed out.
bool isKnownMethod(const void* method);

} // namespace testjvm
