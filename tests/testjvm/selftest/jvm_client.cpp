// The self-test's side of the JNI calls into the test JVM.
#include "jvm_client.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testjvm::selftest {

namespace {

LoadedJvm loadFrom(const std::filesystem::path& path) {
    LoadedJvm jvm;
    jvm.library = Library::load(path);
    if (!jvm.library) {
        throw std::runtime_error("cannot load " + path.string());
    }
    jvm.create = reinterpret_cast<CreateJavaVm>(jvm.library->symbol("JNI_CreateJavaVM"));
    jvm.defaultArgs = reinterpret_cast<GetDefaultJavaVmInitArgs>(
        jvm.library->symbol("JNI_GetDefaultJavaVMInitArgs"));
    jvm.createdVms =
        reinterpret_cast<GetCreatedJavaVms>(jvm.library->symbol("JNI_GetCreatedJavaVMs"));
    jvm.findBootClass = reinterpret_cast<FindClassFromBootLoader>(
        jvm.library->symbol("JVM_FindClassFromBootLoader"));
    return jvm;
}

} // namespace

std::filesystem::path builtLibrary(const std::string& variant) {
    return executablePath().parent_path().parent_path() / "testjvm" / variant / libraryFileName();
}

LoadedJvm LoadedJvm::fromBuild() {
    return loadFrom(builtLibrary("default"));
}

LoadedJvm LoadedJvm::freshCopy(const std::filesystem::path& folder) {
    // A name of its own as well, so that no loader takes it for a library already loaded.
    static std::atomic<int> counter{0};
    std::string name = libraryFileName();
    name.insert(name.find('.'), "-" + std::to_string(counter++));
    std::filesystem::path copy = folder / name;
    std::filesystem::copy_file(builtLibrary("default"), copy);
    return loadFrom(copy);
}

CreatedVm createVm(const LoadedJvm& jvm, const CreateRequest& request) {
    std::vector<std::string> texts;
    std::vector<JavaVMOption> options;
    if (request.vfprintf != nullptr) {
        options.push_back({const_cast<char*>("vfprintf"), request.vfprintf});
    }
    for (const std::string& text : request.options) {
        options.push_back({const_cast<char*>(text.c_str()), nullptr});
    }
    if (request.hooks) {
        options.push_back({const_cast<char*>("abort"), reinterpret_cast<void*>(&abortHook)});
        options.push_back({const_cast<char*>("exit"), reinterpret_cast<void*>(&exitHook)});
    }
    JavaVMInitArgs arguments{};
    arguments.version = request.version;
    arguments.nOptions = static_cast<jint>(options.size());
    arguments.options = options.data();
    arguments.ignoreUnrecognized = request.ignoreUnrecognized ? JNI_TRUE : JNI_FALSE;
    CreatedVm created;
    void* env = nullptr;
    created.result = jvm.create(&created.vm, &env, &arguments);
    created.env = static_cast<JNIEnv*>(env);
    return created;
}

void JNICALL exitHook(jint code) {
    writeStandardError("exit hook: " + std::to_string(code) + "\n");
}

void JNICALL abortHook() {
    writeStandardError("abort hook\n");
}

std::vector<std::string> readLines(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

bool containsInOrder(const std::vector<std::string>& lines,
                     const std::vector<std::string>& expected) {
    size_t next = 0;
    for (const std::string& line : lines) {
        if (next < expected.size() && line == expected[next]) {
            ++next;
        }
    }
    return next == expected.size();
}

jstring javaString(JNIEnv* env, const std::u16string& text) {
    jclass stringClass = env->FindClass("java/lang/String");
    jmethodID constructor = env->GetMethodID(stringClass, "<init>", "([C)V");
    jcharArray chars = env->NewCharArray(static_cast<jsize>(text.size()));
    env->SetCharArrayRegion(chars, 0, static_cast<jsize>(text.size()),
                            reinterpret_cast<const jchar*>(text.data()));
    auto made = static_cast<jstring>(env->NewObject(stringClass, constructor, chars));
    env->DeleteLocalRef(chars);
    return made;
}

jobjectArray stringArray(JNIEnv* env, const std::vector<std::u16string>& texts) {
    jclass stringClass = env->FindClass("java/lang/String");
    jobjectArray array =
        env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass, nullptr);
    for (size_t i = 0; i < texts.size(); ++i) {
        jstring element = javaString(env, texts[i]);
        env->SetObjectArrayElement(array, static_cast<jsize>(i), element);
        env->DeleteLocalRef(element);
    }
    return array;
}

std::string utf8Chars(JNIEnv* env, jstring text) {
    const char* chars = env->GetStringUTFChars(text, nullptr);
    std::string copy = chars;
    env->ReleaseStringUTFChars(text, chars);
    return copy;
}

std::string takePendingException(JNIEnv* env) {
    jthrowable pending = env->ExceptionOccurred();
    if (pending == nullptr) {
        return "";
    }
    env->ExceptionClear();
    jclass type = env->GetObjectClass(pending);
    jmethodID toString = env->GetMethodID(type, "toString", "()Ljava/lang/String;");
    auto text = static_cast<jstring>(env->CallObjectMethod(pending, toString));
    return utf8Chars(env, text);
}

void redirectTo(JNIEnv* env, const char* setter, const std::filesystem::path& file, bool append) {
    jclass fileClass = env->FindClass("java/io/FileOutputStream");
    jmethodID openFile = env->GetMethodID(fileClass, "<init>", "(Ljava/lang/String;Z)V");
    jobject stream = env->NewObject(fileClass, openFile, javaString(env, file.u16string()),
                                    append ? JNI_TRUE : JNI_FALSE);
    if (stream == nullptr) {
        throw std::runtime_error("cannot open " + file.string() + ": " + takePendingException(env));
    }
    jclass printClass = env->FindClass("java/io/PrintStream");
    jmethodID wrap = env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V");
    jobject print = env->NewObject(printClass, wrap, stream);
    jclass system = env->FindClass("java/lang/System");
    jmethodID set = env->GetStaticMethodID(system, setter, "(Ljava/io/PrintStream;)V");
    env->CallStaticVoidMethod(system, set, print);
}

void callMain(JNIEnv* env, const char* className, const std::vector<std::u16string>& arguments) {
    jclass type = env->FindClass(className);
    if (type == nullptr) {
        throw std::runtime_error(std::string("no class ") + className);
    }
    jmethodID main = env->GetStaticMethodID(type, "main", "([Ljava/lang/String;)V");
    if (main == nullptr) {
        throw std::runtime_error(std::string("no main in ") + className);
    }
    env->CallStaticVoidMethod(type, main, stringArray(env, arguments));
}

} // namespace testjvm::selftest
