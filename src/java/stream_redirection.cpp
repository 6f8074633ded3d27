// Java's System.out and System.err replaced by print streams on the named files.
#include "java/stream_redirection.h"

#include "java/jni_support.h"
#include "java/output_files.h"
#include "platform/file_system.h"
#include "platform/trace.h"

namespace launcher {

namespace {

enum class JavaStream { Output, Error };

// A failed look-up or construction leaves the VM's exception pending for the caller.
bool redirectStream(JNIEnv* env, const WideString& name, bool append, JavaStream stream) {
    platform::createFoldersForFile(name); // a folder that cannot be made shows in the open below
    LocalReference fileName(env, toJavaString(env, name));
    if (!fileName) {
        return false;
    }
    LocalReference fileClass(env, env->FindClass("java/io/FileOutputStream"));
    jmethodID openFile =
        fileClass ? env->GetMethodID(fileClass.asClass(), "<init>", "(Ljava/lang/String;Z)V")
                  : nullptr;
    if (openFile == nullptr) {
        return false;
    }
    LocalReference file(env, env->NewObject(fileClass.asClass(), openFile, fileName.get(),
                                            append ? JNI_TRUE : JNI_FALSE));
    if (!file) {
        return false;
    }
    LocalReference printClass(env, env->FindClass("java/io/PrintStream"));
    jmethodID wrap =
        printClass ? env->GetMethodID(printClass.asClass(), "<init>", "(Ljava/io/OutputStream;)V")
                   : nullptr;
    if (wrap == nullptr) {
        return false;
    }
    LocalReference print(env, env->NewObject(printClass.asClass(), wrap, file.get()));
    if (!print) {
        return false;
    }
    LocalReference system(env, env->FindClass("java/lang/System"));
    jmethodID set = system
                        ? env->GetStaticMethodID(system.asClass(),
                                                 stream == JavaStream::Output ? "setOut" : "setErr",
                                                 "(Ljava/io/PrintStream;)V")
                        : nullptr;
    if (set == nullptr) {
        return false;
    }
    env->CallStaticVoidMethod(system.asClass(), set, print.get());
    return env->ExceptionCheck() == JNI_FALSE;
}

void redirectOrDescribe(JNIEnv* env, const WideString& name, bool append, JavaStream stream) {
    if (name.empty()) {
        return;
    }
    bool redirected = redirectStream(env, name, append, stream);
    platform::TraceLine("redirection")
        .add("stream", stream == JavaStream::Output ? "output" : "error")
        .add("file", name.view())
        .add("append", append)
        .add("result", redirected ? "redirected" : "failed");
    if (!redirected) {
        exceptionRaised(env); // the stream stays on the console; the launch goes on
    }
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
    redirectOrDescribe(env, output, redirection.outputAppend, JavaStream::Output);
    redirectOrDescribe(env, error, redirection.errorAppend, JavaStream::Error);
}

} // namespace launcher
