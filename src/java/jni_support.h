// What every caller into Java shares: local references owned by a scope, one
// rule for exceptions, class look-up, strings in both directions and System.exit.
#pragma once

#include "base/wide_string.h"

#include <cstdint>
#include <jni.h>
#include <string_view>

namespace launcher {

// Deletes the reference when the scope ends, so that no path leaks one.
// DeleteLocalRef is one of the calls JNI allows while an exception is pending.
class LocalReference {
  public:
    LocalReference(JNIEnv* env, jobject object) noexcept : env_(env), object_(object) {}
    ~LocalReference() {
        if (object_ != nullptr) {
            env_->DeleteLocalRef(object_);
        }
    }
    LocalReference(const LocalReference&) = delete;
    LocalReference& operator=(const LocalReference&) = delete;
    jobject get() const noexcept { return object_; }
    jclass asClass() const noexcept { return static_cast<jclass>(object_); }
    jstring asString() const noexcept { return static_cast<jstring>(object_); }
    explicit operator bool() const noexcept { return object_ != nullptr; }

  private:
    JNIEnv* env_;
    jobject object_;
};

// The one rule for exceptions, asked after every call that may throw, as JNI
// (and -Xcheck:jni) want: whether the call raised one; if it did, it is printed
// (ExceptionDescribe, which also clears it).
bool exceptionRaised(JNIEnv* env);
// Clears an exception that was expected (a method a class need not have).
void clearExpectedException(JNIEnv* env);

// How a class name reaches FindClass, which wants modified UTF-8.
enum class ClassNameEncoding {
    // Through the VM's own conversion of a Java string: any name arrives whole.
    ModifiedUtf8,
    // The thread's ANSI code page: characters the page lacks are lost.
    CodePage,
};

// The class named in internal form ('/' between packages); null when there is
// none, with the VM's exception pending. `nameMade` tells whether the name could
// be handed to the VM at all.
jclass findClass(JNIEnv* env, const WideString& internalName, ClassNameEncoding encoding,
                 bool& nameMade);
jclass findClass(JNIEnv* env, const WideString& internalName, ClassNameEncoding encoding);

// Java strings are made from the UTF-16 units as they are, never re-encoded; null
// on failure, with the exception pending.
jstring toJavaString(JNIEnv* env, std::u16string_view text);
jobjectArray toJavaStringArray(JNIEnv* env, const WideStringList& texts);
// The units of a Java string; empty when they cannot be had (the exception is
// then printed).
WideString fromJavaString(JNIEnv* env, jstring text);

// Calls System.exit; whatever it leaves pending is printed and cleared.
void callSystemExit(JNIEnv* env, int32_t code);

} // namespace launcher
