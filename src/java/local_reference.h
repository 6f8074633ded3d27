// A JNI local reference owned by a scope.
#pragma once

#include <jni.h>

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
    explicit operator bool() const noexcept { return object_ != nullptr; }

  private:
    JNIEnv* env_;
    jobject object_;
};

} // namespace launcher
