// The capture of an uncaught exception's text and the decision on it.
#include "java/failure_decision.h"

#include "java/jni_support.h"
#include "platform/trace.h"

namespace launcher {

namespace {

// The print stream writes UTF-8 and the buffer decodes UTF-8, so that no
// character of the text is lost to a narrower default encoding (Java before 18
// takes the ANSI code page on Windows).
constexpr char kEncoding[] = "UTF-8";

// The capture proper, with nothing pending on entry and nothing left pending.
WideString printedStackTrace(JNIEnv* env, jthrowable exception) {
    LocalReference bufferClass(env, env->FindClass("java/io/ByteArrayOutputStream"));
    if (exceptionRaised(env) || !bufferClass) {
        return {};
    }
    jmethodID newBuffer = env->GetMethodID(bufferClass.asClass(), "<init>", "()V");
    if (exceptionRaised(env) || newBuffer == nullptr) {
        return {};
    }
    LocalReference buffer(env, env->NewObject(bufferClass.asClass(), newBuffer));
    if (exceptionRaised(env) || !buffer) {
        return {};
    }
    LocalReference encoding(env, env->NewStringUTF(kEncoding));
    if (exceptionRaised(env) || !encoding) {
        return {};
    }
    LocalReference printClass(env, env->FindClass("java/io/PrintStream"));
    if (exceptionRaised(env) || !printClass) {
        return {};
    }
    jmethodID newPrint = env->GetMethodID(printClass.asClass(), "<init>",
                                          "(Ljava/io/OutputStream;ZLjava/lang/String;)V");
    if (exceptionRaised(env) || newPrint == nullptr) {
        return {};
    }
    LocalReference print(env, env->NewObject(printClass.asClass(), newPrint, buffer.get(),
                                             JNI_FALSE, encoding.get()));
    if (exceptionRaised(env) || !print) {
        return {};
    }
    LocalReference exceptionClass(env, env->GetObjectClass(exception));
    jmethodID printStackTrace = exceptionClass
                                    ? env->GetMethodID(exceptionClass.asClass(), "printStackTrace",
                                                       "(Ljava/io/PrintStream;)V")
                                    : nullptr;
    if (exceptionRaised(env) || printStackTrace == nullptr) {
        return {};
    }
    env->CallVoidMethod(exception, printStackTrace, print.get());
    exceptionRaised(env); // what was printed before the exception is still worth having
    jmethodID toString = env->GetMethodID(bufferClass.asClass(), "toString",
                                          "(Ljava/lang/String;)Ljava/lang/String;");
    if (exceptionRaised(env) || toString == nullptr) {
        return {};
    }
    LocalReference text(env, env->CallObjectMethod(buffer.get(), toString, encoding.get()));
    if (exceptionRaised(env) || !text) {
        return {};
    }
    return fromJavaString(env, text.asString());
}

} // namespace

WideString captureExceptionText(JNIEnv* env, jthrowable exception) {
    if (env == nullptr || exception == nullptr) {
        return {};
    }
    // A reference of our own to what is pending: the caller's may be this very
    // object or another one, and the thread must end up as it began.
    auto pending = static_cast<jthrowable>(env->ExceptionOccurred());
    if (pending != nullptr) {
        env->ExceptionClear();
    }
    WideString text;
    try {
        text = printedStackTrace(env, exception);
    } catch (...) { // memory for the text: the exception must be thrown again all the same
        text.clear();
    }
    if (pending != nullptr) {
        env->Throw(pending);
        env->DeleteLocalRef(pending);
    }
    return text;
}

bool decideOnFailure(JNIEnv* env, jthrowable exception, const FailureDecision& decide) {
    WideString text = captureExceptionText(env, exception);
    bool stop = decide && decide(text);
    platform::TraceLine("failure-decision")
        .add("captured", !text.empty())
        .add("answer", stop ? "stop" : "go-on");
    return stop;
}

} // namespace launcher
