// Java's System.out and System.err replaced by print streams on the named files.
#include "java/stream_redirection.h"

#include "java/jni_support.h"
#include "java/output_files.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/trace.h"

namespace launcher {

namespace {

enum class JavaStream { Output, Error };

// A print stream on the file, or null with the VM's exception pending.
jobject openPrintStream(JNIEnv* env, const WideString& name, bool append) {
    platform::createFoldersForFile(name); // a folder that cannot be made shows in the open below
    LocalReference fileName(env, toJavaString(env, name));
    if (!fileName) {
        return nullptr;
    }
    LocalReference fileClass(env, env->FindClass("java/io/FileOutputStream"));
    jmethodID openFile =
        fileClass ? env->GetMethodID(fileClass.asClass(), "<init>", "(Ljava/lang/String;Z)V")
                  : nullptr;
    if (openFile == nullptr) {
        return nullptr;
    }
    LocalReference file(env, env->NewObject(fileClass.asClass(), openFile, fileName.get(),
                                            append ? JNI_TRUE : JNI_FALSE));
    if (!file) {
        return nullptr;
    }
    LocalReference printClass(env, env->FindClass("java/io/PrintStream"));
    jmethodID wrap =
        printClass ? env->GetMethodID(printClass.asClass(), "<init>", "(Ljava/io/OutputStream;)V")
                   : nullptr;
    if (wrap == nullptr) {
        return nullptr;
    }
    return env->NewObject(printClass.asClass(), wrap, file.get());
}

bool setJavaStream(JNIEnv* env, jobject print, JavaStream stream) {
    LocalReference system(env, env->FindClass("java/lang/System"));
    jmethodID set = system
                        ? env->GetStaticMethodID(system.asClass(),
                                                 stream == JavaStream::Output ? "setOut" : "setErr",
                                                 "(Ljava/io/PrintStream;)V")
                        : nullptr;
    if (set == nullptr) {
        return false;
    }
    env->CallStaticVoidMethod(system.asClass(), set, print);
    return env->ExceptionCheck() == JNI_FALSE;
}

struct StreamTarget {
    const WideString& name;
    bool append;
    JavaStream stream;
};

void traceRedirection(const StreamTarget& target, bool redirected, bool shared) {
    platform::TraceLine("redirection")
        .add("stream", target.stream == JavaStream::Output ? "output" : "error")
        .add("file", target.name.view())
        .add("append", target.append)
        .add("shared", shared)
        .add("result", redirected ? "redirected" : "failed");
}

// The stream set, or null; a failure leaves that stream on the console and the
// launch goes on.
jobject redirectOrDescribe(JNIEnv* env, const StreamTarget& target) {
    jobject print = openPrintStream(env, target.name, target.append);
    bool redirected = print != nullptr && setJavaStream(env, print, target.stream);
    traceRedirection(target, redirected, false);
    if (redirected) {
        return print;
    }
    exceptionRaised(env);
    if (print != nullptr) {
        env->DeleteLocalRef(print);
    }
    return nullptr;
}

// Two streams truncating one file would overwrite each other's lines: when the
// error file is the output file, however it is spelled, both write through one.
bool shareOutputStream(JNIEnv* env, jobject output, const StreamTarget& error,
                       const WideString& outputName) {
    if (output == nullptr || !platform::sameFile(outputName, error.name)) {
        return false;
    }
    bool shared = setJavaStream(env, output, JavaStream::Error);
    traceRedirection(error, shared, true);
    if (!shared) {
        exceptionRaised(env);
    }
    return true;
}

} // namespace

void redirectStandardStreams(JNIEnv* env, const StreamRedirection& redirection) {
    WideString output = redirection.outputFile;
    WideString error = redirection.errorFile;
    if (output.contains(u'%') || error.contains(u'%')) {
        // One time for both names, read once the VM exists.
        platform::LocalTime now = platform::currentLocalTime();
        if (output.contains(u'%')) {
            expandFileNameTime(output, now);
        }
        if (error.contains(u'%')) {
            expandFileNameTime(error, now);
        }
    }
    LocalReference outputStream(
        env, output.empty()
                 ? nullptr
                 : redirectOrDescribe(env, {output, redirection.outputAppend, JavaStream::Output}));
    if (error.empty()) {
        return;
    }
    StreamTarget errorTarget{error, redirection.errorAppend, JavaStream::Error};
    if (!shareOutputStream(env, outputStream.get(), errorTarget, output)) {
        LocalReference errorStream(env, redirectOrDescribe(env, errorTarget));
    }
}

} // namespace launcher
