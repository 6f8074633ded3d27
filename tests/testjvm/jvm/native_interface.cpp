// The JNIEnv function table: the functions a launcher uses, and a trap in every
// other slot so that a call the test JVM does not expect ends the run loudly.
#include "interfaces.h"
#include "record.h"
#include "runtime.h"
#include "text.h"

#include <array>
#include <cstring>
#include <utility>

namespace testjvm {

namespace {

std::string describe(const Method& method) {
    return method.owner->name + "." + method.name + method.signature;
}

ClassObject* classArgument(ThreadState& thread, jclass clazz, const char* function) {
    Object* object = resolve(thread, clazz, function);
    auto* type = dynamic_cast<ClassObject*>(object);
    if (type == nullptr) {
        fatal(std::string(function) +
              (object == nullptr ? " got a null class" : " got an object that is not a class"));
    }
    return type;
}

Object* objectArgument(ThreadState& thread, jobject ref, const char* function) {
    Object* object = resolve(thread, ref, function);
    if (object == nullptr) {
        fatal(std::string(function) + " got a null object");
    }
    return object;
}

StringObject* stringArgument(ThreadState& thread, jstring ref, const char* function) {
    auto* text = dynamic_cast<StringObject*>(objectArgument(thread, ref, function));
    if (text == nullptr) {
        fatal(std::string(function) + " got an object that is not a String");
    }
    return text;
}

template <class Array> Array* arrayArgument(ThreadState& thread, jarray ref, const char* function) {
    auto* array = dynamic_cast<Array*>(objectArgument(thread, ref, function));
    if (array == nullptr) {
        fatal(std::string(function) + " got an object that is not an array of the right type");
    }
    return array;
}

const Method& methodArgument(jmethodID id, const char* function) {
    if (!isKnownMethod(id)) {
        fatal(std::string(function) + " got a method ID the VM did not hand out");
    }
    return *reinterpret_cast<const Method*>(id);
}

jmethodID methodId(const Method* method) {
    return reinterpret_cast<jmethodID>(const_cast<Method*>(method));
}

// The variable arguments of a Call...V function, copied so that they can be read here.
struct VaArguments {
    va_list list;
};

jvalue nextArgument(const jvalue*& array, VaArguments* variable, char kind) {
    if (array != nullptr) {
        return *array++;
    }
    jvalue value{};
    switch (kind) {
    case 'Z':
        value.z = static_cast<jboolean>(va_arg(variable->list, int));
        break;
    case 'B':
        value.b = static_cast<jbyte>(va_arg(variable->list, int));
        break;
    case 'C':
        value.c = static_cast<jchar>(va_arg(variable->list, int));
        break;
    case 'S':
        value.s = static_cast<jshort>(va_arg(variable->list, int));
        break;
    case 'I':
        value.i = static_cast<jint>(va_arg(variable->list, int));
        break;
    case 'J':
        value.j = va_arg(variable->list, jlong);
        break;
    case 'F':
        value.f = static_cast<jfloat>(va_arg(variable->list, double));
        break;
    case 'D':
        value.d = va_arg(variable->list, double);
        break;
    default:
        value.l = va_arg(variable->list, jobject);
        break;
    }
    return value;
}

// The arguments as the method declares them; a reference of the wrong class is a
// fault of the caller (a real VM would go on with a corrupt heap).
std::vector<Value> readArguments(ThreadState& thread, const Method& method, const char* function,
                                 const jvalue* array, VaArguments* variable) {
    std::vector<Value> values;
    std::vector<std::string> parameters = method.parameters();
    for (size_t i = 0; i < parameters.size(); ++i) {
        const std::string& descriptor = parameters[i];
        char kind = descriptor[0] == '[' ? 'L' : descriptor[0];
        Value value;
        jvalue raw = nextArgument(array, variable, kind);
        if (kind == 'L') {
            value.ref = resolve(thread, raw.l, function);
            ClassObject* expected = classOfDescriptor(descriptor);
            if (value.ref != nullptr &&
                (expected == nullptr || !value.ref->type->isSubclassOf(expected))) {
                fatal(std::string(function) + ": argument " + std::to_string(i + 1) + " of " +
                      describe(method) + " is a " + value.ref->type->javaName());
            }
        } else {
            value.prim = raw;
        }
        values.push_back(value);
    }
    return values;
}

jvalue toResult(ThreadState& thread, const Value& value, char kind) {
    jvalue result = value.prim;
    if (kind == 'L') {
        result.l = newRef(thread, value.ref);
    }
    return result;
}

void checkReturn(const Method& method, char kind, const char* function) {
    if (method.returnKind() != kind) {
        fatal(std::string(function) + " called " + describe(method) +
              ", which returns another type");
    }
}

jvalue invokeStatic(JNIEnv* env, jclass clazz, jmethodID id, char kind, const char* function,
                    const jvalue* array, VaArguments* variable) {
    ThreadState& thread = enter(env, function);
    ClassObject* type = classArgument(thread, clazz, function);
    const Method& method = methodArgument(id, function);
    if (!method.isStatic) {
        fatal(std::string(function) + " got the instance method " + describe(method));
    }
    if (!type->isSubclassOf(method.owner)) {
        fatal(std::string(function) + " got class " + type->name + " with method " +
              describe(method));
    }
    checkReturn(method, kind, function);
    std::vector<Value> arguments = readArguments(thread, method, function, array, variable);
    return toResult(thread, method.body(thread, nullptr, arguments.data()), kind);
}

jvalue invokeVirtual(JNIEnv* env, jobject self, jmethodID id, char kind, const char* function,
                     const jvalue* array, VaArguments* variable) {
    ThreadState& thread = enter(env, function);
    Object* object = objectArgument(thread, self, function);
    const Method& method = methodArgument(id, function);
    if (method.isStatic || method.name == "<init>") {
        fatal(std::string(function) + " got " + describe(method) +
              ", which is not an instance method");
    }
    if (!object->type->isSubclassOf(method.owner)) {
        fatal(std::string(function) + " called " + describe(method) + " on a " +
              object->type->javaName());
    }
    checkReturn(method, kind, function);
    std::vector<Value> arguments = readArguments(thread, method, function, array, variable);
    return toResult(thread, method.body(thread, object, arguments.data()), kind);
}

jobject construct(JNIEnv* env, jclass clazz, jmethodID id, const char* function,
                  const jvalue* array, VaArguments* variable) {
    ThreadState& thread = enter(env, function);
    ClassObject* type = classArgument(thread, clazz, function);
    const Method& method = methodArgument(id, function);
    if (method.name != "<init>" || method.owner != type) {
        fatal(std::string(function) + " got " + describe(method) + " for class " + type->name);
    }
    std::vector<Value> arguments = readArguments(thread, method, function, array, variable);
    return newRef(thread, method.body(thread, nullptr, arguments.data()).ref);
}

// The three forms of each call: `...`, va_list and jvalue array.
#define TESTJVM_CALLS(Name, Type, Member, Kind, Invoke, Target)                                    \
    Type JNICALL Name##V(JNIEnv* env, Target target, jmethodID id, va_list arguments) {            \
        VaArguments copy;                                                                          \
        va_copy(copy.list, arguments);                                                             \
        jvalue result = Invoke(env, target, id, Kind, #Name "V", nullptr, &copy);                  \
        va_end(copy.list);                                                                         \
        return static_cast<Type>(result.Member);                                                   \
    }                                                                                              \
    Type JNICALL Name##A(JNIEnv* env, Target target, jmethodID id, const jvalue* arguments) {      \
        return static_cast<Type>(                                                                  \
            Invoke(env, target, id, Kind, #Name "A", arguments, nullptr).Member);                  \
    }                                                                                              \
    Type JNICALL Name(JNIEnv* env, Target target, jmethodID id, ...) {                             \
        VaArguments copy;                                                                          \
        va_start(copy.list, id);                                                                   \
        jvalue result = Invoke(env, target, id, Kind, #Name, nullptr, &copy);                      \
        va_end(copy.list);                                                                         \
        return static_cast<Type>(result.Member);                                                   \
    }

TESTJVM_CALLS(CallStaticObjectMethod, jobject, l, 'L', invokeStatic, jclass)
TESTJVM_CALLS(CallStaticIntMethod, jint, i, 'I', invokeStatic, jclass)
TESTJVM_CALLS(CallObjectMethod, jobject, l, 'L', invokeVirtual, jobject)
#undef TESTJVM_CALLS

void JNICALL CallStaticVoidMethodV(JNIEnv* env, jclass clazz, jmethodID id, va_list arguments) {
    VaArguments copy;
    va_copy(copy.list, arguments);
    invokeStatic(env, clazz, id, 'V', "CallStaticVoidMethodV", nullptr, &copy);
    va_end(copy.list);
}

void JNICALL CallStaticVoidMethodA(JNIEnv* env, jclass clazz, jmethodID id,
                                   const jvalue* arguments) {
    invokeStatic(env, clazz, id, 'V', "CallStaticVoidMethodA", arguments, nullptr);
}

void JNICALL CallStaticVoidMethod(JNIEnv* env, jclass clazz, jmethodID id, ...) {
    VaArguments copy;
    va_start(copy.list, id);
    invokeStatic(env, clazz, id, 'V', "CallStaticVoidMethod", nullptr, &copy);
    va_end(copy.list);
}

void JNICALL CallVoidMethodV(JNIEnv* env, jobject self, jmethodID id, va_list arguments) {
    VaArguments copy;
    va_copy(copy.list, arguments);
    invokeVirtual(env, self, id, 'V', "CallVoidMethodV", nullptr, &copy);
    va_end(copy.list);
}

void JNICALL CallVoidMethodA(JNIEnv* env, jobject self, jmethodID id, const jvalue* arguments) {
    invokeVirtual(env, self, id, 'V', "CallVoidMethodA", arguments, nullptr);
}

void JNICALL CallVoidMethod(JNIEnv* env, jobject self, jmethodID id, ...) {
    VaArguments copy;
    va_start(copy.list, id);
    invokeVirtual(env, self, id, 'V', "CallVoidMethod", nullptr, &copy);
    va_end(copy.list);
}

jobject JNICALL NewObjectV(JNIEnv* env, jclass clazz, jmethodID id, va_list arguments) {
    VaArguments copy;
    va_copy(copy.list, arguments);
    jobject made = construct(env, clazz, id, "NewObjectV", nullptr, &copy);
    va_end(copy.list);
    return made;
}

jobject JNICALL NewObjectA(JNIEnv* env, jclass clazz, jmethodID id, const jvalue* arguments) {
    return construct(env, clazz, id, "NewObjectA", arguments, nullptr);
}

jobject JNICALL NewObject(JNIEnv* env, jclass clazz, jmethodID id, ...) {
    VaArguments copy;
    va_start(copy.list, id);
    jobject made = construct(env, clazz, id, "NewObject", nullptr, &copy);
    va_end(copy.list);
    return made;
}

jint JNICALL GetVersion(JNIEnv* env) {
    enter(env, "GetVersion");
    return kHighestJniVersion;
}

jclass JNICALL FindClass(JNIEnv* env, const char* name) {
    ThreadState& thread = enter(env, "FindClass");
    std::u16string text = name != nullptr ? fromModifiedUtf8(name) : u"null";
    record("call", "FindClass " + escapeForRecord(text));
    ClassObject* found = name != nullptr ? knownClass(name) : nullptr;
    if (found == nullptr || found->reach == ClassReach::BootLoaderOnly) {
        throwNew(thread, "java/lang/NoClassDefFoundError", text);
        return nullptr;
    }
    return static_cast<jclass>(newRef(thread, found));
}

jclass JNICALL GetObjectClass(JNIEnv* env, jobject object) {
    ThreadState& thread = enter(env, "GetObjectClass");
    return static_cast<jclass>(
        newRef(thread, objectArgument(thread, object, "GetObjectClass")->type));
}

jmethodID lookUp(JNIEnv* env, jclass clazz, const char* name, const char* signature,
                 bool isStatic) {
    const char* function = isStatic ? "GetStaticMethodID" : "GetMethodID";
    ThreadState& thread = enter(env, function);
    ClassObject* type = classArgument(thread, clazz, function);
    if (name == nullptr || signature == nullptr) {
        fatal(std::string(function) + " got a null name or signature");
    }
    record("call", std::string(function) + " " + type->name + " " +
                       escapeForRecord(fromModifiedUtf8(name)) + " " +
                       escapeForRecord(fromModifiedUtf8(signature)));
    const Method* method = type->findMethod(name, signature, isStatic);
    if (method == nullptr && !(isStatic && type->quietMissingStatics)) {
        throwNew(thread, "java/lang/NoSuchMethodError", fromModifiedUtf8(name));
    }
    return methodId(method);
}

jmethodID JNICALL GetMethodID(JNIEnv* env, jclass clazz, const char* name, const char* signature) {
    return lookUp(env, clazz, name, signature, false);
}

jmethodID JNICALL GetStaticMethodID(JNIEnv* env, jclass clazz, const char* name,
                                    const char* signature) {
    return lookUp(env, clazz, name, signature, true);
}

jstring JNICALL NewStringUTF(JNIEnv* env, const char* bytes) {
    ThreadState& thread = enter(env, "NewStringUTF");
    if (bytes == nullptr) {
        return nullptr;
    }
    Object* text = allocate<StringObject>(knownClass("java/lang/String"), fromModifiedUtf8(bytes));
    return static_cast<jstring>(newRef(thread, text));
}

jsize JNICALL GetStringLength(JNIEnv* env, jstring string) {
    ThreadState& thread = enter(env, "GetStringLength");
    return static_cast<jsize>(stringArgument(thread, string, "GetStringLength")->text.size());
}

const char* JNICALL GetStringUTFChars(JNIEnv* env, jstring string, jboolean* isCopy) {
    ThreadState& thread = enter(env, "GetStringUTFChars");
    std::string bytes = toModifiedUtf8(stringArgument(thread, string, "GetStringUTFChars")->text);
    auto buffer = std::make_unique<char[]>(bytes.size() + 1);
    std::memcpy(buffer.get(), bytes.c_str(), bytes.size() + 1);
    const char* chars = buffer.get();
    {
        std::lock_guard lock(vm().mutex);
        vm().utfBuffers.emplace(chars, std::move(buffer));
    }
    if (isCopy != nullptr) {
        *isCopy = JNI_TRUE;
    }
    return chars;
}

void JNICALL ReleaseStringUTFChars(JNIEnv* env, jstring string, const char* chars) {
    ThreadState& thread = enter(env, "ReleaseStringUTFChars", true);
    stringArgument(thread, string, "ReleaseStringUTFChars");
    std::unique_lock lock(vm().mutex);
    if (vm().utfBuffers.erase(chars) == 0) {
        lock.unlock();
        fatal("ReleaseStringUTFChars got characters GetStringUTFChars did not hand out");
    }
}

const jchar* JNICALL GetStringChars(JNIEnv* env, jstring string, jboolean* isCopy) {
    ThreadState& thread = enter(env, "GetStringChars");
    const std::u16string& text = stringArgument(thread, string, "GetStringChars")->text;
    auto buffer = std::make_unique<jchar[]>(text.size() + 1);
    for (size_t i = 0; i < text.size(); ++i) {
        buffer[i] = text[i];
    }
    buffer[text.size()] = 0;
    const jchar* chars = buffer.get();
    {
        std::lock_guard lock(vm().mutex);
        vm().charBuffers.emplace(chars, std::move(buffer));
    }
    if (isCopy != nullptr) {
        *isCopy = JNI_TRUE;
    }
    return chars;
}

void JNICALL ReleaseStringChars(JNIEnv* env, jstring string, const jchar* chars) {
    ThreadState& thread = enter(env, "ReleaseStringChars", true);
    stringArgument(thread, string, "ReleaseStringChars");
    std::unique_lock lock(vm().mutex);
    if (vm().charBuffers.erase(chars) == 0) {
        lock.unlock();
        fatal("ReleaseStringChars got characters GetStringChars did not hand out");
    }
}

std::u16string outOfBounds(jsize index, size_t length) {
    return fromUtf8("Index " + std::to_string(index) + " out of bounds for length " +
                    std::to_string(length));
}

jsize JNICALL GetArrayLength(JNIEnv* env, jarray array) {
    ThreadState& thread = enter(env, "GetArrayLength");
    Object* object = objectArgument(thread, array, "GetArrayLength");
    if (auto* chars = dynamic_cast<CharArrayObject*>(object)) {
        return static_cast<jsize>(chars->chars.size());
    }
    if (auto* objects = dynamic_cast<ObjectArrayObject*>(object)) {
        return static_cast<jsize>(objects->elements.size());
    }
    fatal("GetArrayLength got an object that is not an array");
}

jcharArray JNICALL NewCharArray(JNIEnv* env, jsize length) {
    ThreadState& thread = enter(env, "NewCharArray");
    if (length < 0) {
        throwNew(thread, "java/lang/NegativeArraySizeException", fromUtf8(std::to_string(length)));
        return nullptr;
    }
    Object* array = allocate<CharArrayObject>(knownClass("[C"), static_cast<size_t>(length));
    return static_cast<jcharArray>(newRef(thread, array));
}

void JNICALL SetCharArrayRegion(JNIEnv* env, jcharArray array, jsize start, jsize length,
                                const jchar* buffer) {
    ThreadState& thread = enter(env, "SetCharArrayRegion");
    auto* chars = arrayArgument<CharArrayObject>(thread, array, "SetCharArrayRegion");
    size_t size = chars->chars.size();
    if (start < 0 || length < 0 ||
        static_cast<size_t>(start) + static_cast<size_t>(length) > size) {
        throwNew(thread, "java/lang/ArrayIndexOutOfBoundsException",
                 fromUtf8("Array region " + std::to_string(start) + ".." +
                          std::to_string(static_cast<long long>(start) + length) +
                          " out of bounds for length " + std::to_string(size)));
        return;
    }
    for (jsize i = 0; i < length; ++i) {
        chars->chars[static_cast<size_t>(start + i)] = buffer[i];
    }
}

jobjectArray JNICALL NewObjectArray(JNIEnv* env, jsize length, jclass elementClass,
                                    jobject initialElement) {
    ThreadState& thread = enter(env, "NewObjectArray");
    ClassObject* element = classArgument(thread, elementClass, "NewObjectArray");
    Object* initial = resolve(thread, initialElement, "NewObjectArray");
    if (length < 0) {
        throwNew(thread, "java/lang/NegativeArraySizeException", fromUtf8(std::to_string(length)));
        return nullptr;
    }
    if (initial != nullptr && !initial->type->isSubclassOf(element)) {
        throwNew(thread, "java/lang/ArrayStoreException", fromUtf8(initial->type->javaName()));
        return nullptr;
    }
    Object* array =
        allocate<ObjectArrayObject>(arrayClassOf(element), static_cast<size_t>(length), initial);
    return static_cast<jobjectArray>(newRef(thread, array));
}

jobject JNICALL GetObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index) {
    ThreadState& thread = enter(env, "GetObjectArrayElement");
    auto* objects = arrayArgument<ObjectArrayObject>(thread, array, "GetObjectArrayElement");
    if (index < 0 || static_cast<size_t>(index) >= objects->elements.size()) {
        throwNew(thread, "java/lang/ArrayIndexOutOfBoundsException",
                 outOfBounds(index, objects->elements.size()));
        return nullptr;
    }
    return newRef(thread, objects->elements[static_cast<size_t>(index)]);
}

void JNICALL SetObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index, jobject value) {
    ThreadState& thread = enter(env, "SetObjectArrayElement");
    auto* objects = arrayArgument<ObjectArrayObject>(thread, array, "SetObjectArrayElement");
    Object* element = resolve(thread, value, "SetObjectArrayElement");
    if (index < 0 || static_cast<size_t>(index) >= objects->elements.size()) {
        throwNew(thread, "java/lang/ArrayIndexOutOfBoundsException",
                 outOfBounds(index, objects->elements.size()));
        return;
    }
    if (element != nullptr && !element->type->isSubclassOf(objects->type->component)) {
        throwNew(thread, "java/lang/ArrayStoreException", fromUtf8(element->type->javaName()));
        return;
    }
    objects->elements[static_cast<size_t>(index)] = element;
}

void JNICALL DeleteLocalRef(JNIEnv* env, jobject ref) {
    ThreadState& thread = enter(env, "DeleteLocalRef", true);
    deleteRef(thread, ref);
}

jthrowable JNICALL ExceptionOccurred(JNIEnv* env) {
    ThreadState& thread = enter(env, "ExceptionOccurred", true);
    return static_cast<jthrowable>(newRef(thread, thread.pending));
}

void JNICALL ExceptionDescribe(JNIEnv* env) {
    ThreadState& thread = enter(env, "ExceptionDescribe", true);
    ThrowableObject* pending = std::exchange(thread.pending, nullptr);
    if (pending == nullptr) {
        return;
    }
    record("describe", escapeForRecord(pending->text()));
    // The VM's own stream takes the thread part, System.err the throwable.
    vmMessage("Exception in thread \"" + thread.name + "\" ");
    printThrowable(*pending);
}

// Throw is allowed with an exception pending only in that the new one replaces it;
// JNI lists it among the calls to avoid then, so it is recorded like the others.
jint JNICALL Throw(JNIEnv* env, jthrowable object) {
    ThreadState& thread = enter(env, "Throw");
    auto* thrown = dynamic_cast<ThrowableObject*>(objectArgument(thread, object, "Throw"));
    if (thrown == nullptr) {
        fatal("Throw got an object that is not a Throwable");
    }
    record("throw", escapeForRecord(thrown->text()));
    thread.pending = thrown;
    return JNI_OK;
}

void JNICALL ExceptionClear(JNIEnv* env) {
    enter(env, "ExceptionClear", true).pending = nullptr;
}

jboolean JNICALL ExceptionCheck(JNIEnv* env) {
    return enter(env, "ExceptionCheck", true).pending != nullptr ? JNI_TRUE : JNI_FALSE;
}

template <size_t Index> void JNICALL unimplemented() {
    fatal("unimplemented JNI function " + std::to_string(Index));
}

template <size_t... Index>
std::array<void(JNICALL*)(), sizeof...(Index)> traps(std::index_sequence<Index...>) {
    return {&unimplemented<Index>...};
}

JNINativeInterface_ makeNativeInterface() {
    JNINativeInterface_ table;
    auto slots = traps(std::make_index_sequence<sizeof(JNINativeInterface_) / sizeof(void*)>());
    static_assert(sizeof(slots) == sizeof(table), "every slot of the table is a pointer");
    std::memcpy(&table, slots.data(), sizeof table);
    table.GetVersion = GetVersion;
    table.FindClass = FindClass;
    table.GetObjectClass = GetObjectClass;
    table.GetMethodID = GetMethodID;
    table.CallObjectMethod = CallObjectMethod;
    table.CallObjectMethodV = CallObjectMethodV;
    table.CallObjectMethodA = CallObjectMethodA;
    table.CallVoidMethod = CallVoidMethod;
    table.CallVoidMethodV = CallVoidMethodV;
    table.CallVoidMethodA = CallVoidMethodA;
    table.GetStaticMethodID = GetStaticMethodID;
    table.CallStaticObjectMethod = CallStaticObjectMethod;
    table.CallStaticObjectMethodV = CallStaticObjectMethodV;
    table.CallStaticObjectMethodA = CallStaticObjectMethodA;
    table.CallStaticIntMethod = CallStaticIntMethod;
    table.CallStaticIntMethodV = CallStaticIntMethodV;
    table.CallStaticIntMethodA = CallStaticIntMethodA;
    table.CallStaticVoidMethod = CallStaticVoidMethod;
    table.CallStaticVoidMethodV = CallStaticVoidMethodV;
    table.CallStaticVoidMethodA = CallStaticVoidMethodA;
    table.NewObject = NewObject;
    table.NewObjectV = NewObjectV;
    table.NewObjectA = NewObjectA;
    table.NewStringUTF = NewStringUTF;
    table.GetStringLength = GetStringLength;
    table.GetStringUTFChars = GetStringUTFChars;
    table.ReleaseStringUTFChars = ReleaseStringUTFChars;
    table.GetStringChars = GetStringChars;
    table.ReleaseStringChars = ReleaseStringChars;
    table.GetArrayLength = GetArrayLength;
    table.NewCharArray = NewCharArray;
    table.SetCharArrayRegion = SetCharArrayRegion;
    table.NewObjectArray = NewObjectArray;
    table.GetObjectArrayElement = GetObjectArrayElement;
    table.SetObjectArrayElement = SetObjectArrayElement;
    table.DeleteLocalRef = DeleteLocalRef;
    table.ExceptionOccurred = ExceptionOccurred;
    table.ExceptionDescribe = ExceptionDescribe;
    table.Throw = Throw;
    table.ExceptionClear = ExceptionClear;
    table.ExceptionCheck = ExceptionCheck;
    return table;
}

} // namespace

const JNINativeInterface_* nativeInterface() {
    static const JNINativeInterface_ table = makeNativeInterface();
    return &table;
}

} // namespace testjvm
