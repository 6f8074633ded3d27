// The JNI helpers shared by the application thread, the service and forwarding.
#include "java/jni_support.h"

#include "platform/text.h"

#include <new>
#include <string>

namespace launcher {

namespace {

const jchar* javaChars(std::u16string_view text) {
    return reinterpret_cast<const jchar*>(text.data());
}

// The String class and its char[] constructor, looked up once per conversion run.
class StringFactory {
  public:
    explicit StringFactory(JNIEnv* env)
        : env_(env), class_(env, env->FindClass("java/lang/String")) {
        if (class_) {
            constructor_ = env->GetMethodID(class_.asClass(), "<init>", "([C)V");
        }
    }

    jclass stringClass() const { return constructor_ == nullptr ? nullptr : class_.asClass(); }

    // One local reference on success (the string), none on failure.
    jstring make(std::u16string_view text) const {
        auto length = static_cast<jsize>(text.size());
        LocalReference units(env_, env_->NewCharArray(length));
        if (!units) {
            return nullptr;
        }
        env_->SetCharArrayRegion(static_cast<jcharArray>(units.get()), 0, length, javaChars(text));
        if (env_->ExceptionCheck()) {
            return nullptr;
        }
        return static_cast<jstring>(env_->NewObject(class_.asClass(), constructor_, units.get()));
    }

  private:
    JNIEnv* env_;
    LocalReference class_;
    jmethodID constructor_ = nullptr;
};

jclass findClassInModifiedUtf8(JNIEnv* env, const WideString& internalName, bool& nameMade) {
    LocalReference name(env, toJavaString(env, internalName));
    if (!name) {
        nameMade = false;
        return nullptr;
    }
    const char* modifiedUtf8 = env->GetStringUTFChars(name.asString(), nullptr);
    if (modifiedUtf8 == nullptr) {
        nameMade = false;
        return nullptr;
    }
    jclass found = env->FindClass(modifiedUtf8);
    env->ReleaseStringUTFChars(name.asString(), modifiedUtf8);
    return found;
}

} // namespace

bool exceptionRaised(JNIEnv* env) {
    if (env->ExceptionCheck() == JNI_FALSE) {
        return false;
    }
    env->ExceptionDescribe();
    return true;
}

void clearExpectedException(JNIEnv* env) {
    if (env->ExceptionCheck() != JNI_FALSE) {
        env->ExceptionClear();
    }
}

jclass findClass(JNIEnv* env, const WideString& internalName, ClassNameEncoding encoding,
                 bool& nameMade) {
    nameMade = true;
    if (encoding == ClassNameEncoding::ModifiedUtf8) {
        return findClassInModifiedUtf8(env, internalName, nameMade);
    }
    std::string narrow = platform::wideToNarrow(internalName);
    return env->FindClass(narrow.c_str());
}

jclass findClass(JNIEnv* env, const WideString& internalName, ClassNameEncoding encoding) {
    bool nameMade = false;
    return findClass(env, internalName, encoding, nameMade);
}

jstring toJavaString(JNIEnv* env, std::u16string_view text) {
    StringFactory strings(env);
    if (strings.stringClass() == nullptr) {
        return nullptr;
    }
    return strings.make(text);
}

// Each element's reference is dropped as soon as the array holds it, so the count
// of local references stays the same whatever the number of texts.
jobjectArray toJavaStringArray(JNIEnv* env, const WideStringList& texts) {
    StringFactory strings(env);
    if (strings.stringClass() == nullptr) {
        return nullptr;
    }
    jobjectArray array =
        env->NewObjectArray(static_cast<jsize>(texts.size()), strings.stringClass(), nullptr);
    if (array == nullptr) {
        return nullptr;
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        LocalReference element(env, strings.make(texts[i]));
        if (!element) {
            env->DeleteLocalRef(array);
            return nullptr;
        }
        env->SetObjectArrayElement(array, static_cast<jsize>(i), element.get());
    }
    return array;
}

WideString fromJavaString(JNIEnv* env, jstring text) {
    jsize length = env->GetStringLength(text);
    const jchar* units = env->GetStringChars(text, nullptr);
    if (units == nullptr) {
        exceptionRaised(env); // out of memory
        return {};
    }
    std::u16string copy;
    try {
        copy.assign(reinterpret_cast<const char16_t*>(units), static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        copy.clear();
    }
    env->ReleaseStringChars(text, units);
    return WideString(copy);
}

void callSystemExit(JNIEnv* env, int32_t code) {
    LocalReference system(env, env->FindClass("java/lang/System"));
    jmethodID exit = system ? env->GetStaticMethodID(system.asClass(), "exit", "(I)V") : nullptr;
    if (exit != nullptr) {
        env->CallStaticVoidMethod(system.asClass(), exit, static_cast<jint>(code));
    }
    exceptionRaised(env);
}

} // namespace launcher
