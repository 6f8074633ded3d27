// captureExceptionText on a real JVM created in this process with -Xcheck:jni:
// the text is whole (class, message, frames, cause, characters outside ASCII),
// the exception is pending again afterwards, the same object, no local reference
// is left behind, and the VM's checks have nothing to say about any of it.
//
// The VM prints its -Xcheck:jni warnings through the "vfprintf" hook given at
// creation, so each test sees exactly what the VM said while it ran. Two control
// tests make the VM say it (a call with an exception pending, local references
// left behind), so that the silence elsewhere means something.
#include "base/wide_string.h"
#include "java/failure_decision.h"
#include "jre/jvm_library.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace launcher {
namespace {

std::mutex vmOutputMutex;
std::string vmOutput;

extern "C" jint JNICALL collectVmOutput(FILE*, const char* format, va_list arguments) {
    va_list copy;
    va_copy(copy, arguments);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) {
        return 0;
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.resize(static_cast<size_t>(length));
    std::lock_guard lock(vmOutputMutex);
    vmOutput += text;
    return length;
}

std::string takeVmOutput() {
    std::lock_guard lock(vmOutputMutex);
    std::string taken;
    taken.swap(vmOutput);
    return taken;
}

std::string jdkHome() {
    const char* chosen = std::getenv("LAUNCHER_EMBEDDED_JDK");
    return chosen != nullptr && *chosen != '\0' ? chosen : LAUNCHER_BUILD_JDK;
}

// One VM for the whole process: a process can create only one.
class EmbeddedVm : public ::testing::Environment {
  public:
    void SetUp() override {
        std::string library = jdkHome() + "/lib/server/libjvm.so";
        ASSERT_TRUE(jvm_.load(platform::narrowToWide(library))) << library;
        std::vector<std::string> texts = {"-Xcheck:jni", "-Xmx128m",
                                          std::string("-Djava.class.path=") +
                                              LAUNCHER_TESTAPP_CLASSES};
        std::vector<JavaVMOption> options;
        for (std::string& text : texts) {
            options.push_back(JavaVMOption{text.data(), nullptr});
        }
        char hookName[] = "vfprintf";
        options.push_back(JavaVMOption{hookName, reinterpret_cast<void*>(&collectVmOutput)});
        JavaVMInitArgs arguments{};
        arguments.version = JNI_VERSION_1_2;
        arguments.nOptions = static_cast<jint>(options.size());
        arguments.options = options.data();
        arguments.ignoreUnrecognized = JNI_FALSE;
        ASSERT_EQ(jvm_.createJavaVm(&vm, reinterpret_cast<void**>(&env), &arguments), JNI_OK)
            << takeVmOutput();
    }

    void TearDown() override {
        if (vm != nullptr) {
            vm->DestroyJavaVM();
        }
    }

    static inline JavaVM* vm = nullptr;
    static inline JNIEnv* env = nullptr;

  private:
    JvmLibrary jvm_;
};

::testing::Environment* const embeddedVm = ::testing::AddGlobalTestEnvironment(new EmbeddedVm);

std::string utf8(const WideString& text) {
    return platform::wideToUtf8(text.view());
}

class ExceptionCapture : public ::testing::Test {
  protected:
    void SetUp() override {
        env = EmbeddedVm::env;
        ASSERT_NE(env, nullptr) << "no VM";
        ASSERT_EQ(env->ExceptionCheck(), JNI_FALSE);
        ASSERT_EQ(env->PushLocalFrame(16), JNI_OK);
        takeVmOutput();
    }

    void TearDown() override {
        if (env != nullptr) {
            env->ExceptionClear();
            env->PopLocalFrame(nullptr);
        }
    }

    // Calls main of the test application with the arguments; leaves what it threw
    // pending.
    void callMain(const char* className, const std::vector<std::u16string>& arguments = {}) {
        jclass type = env->FindClass(className);
        ASSERT_NE(type, nullptr) << className;
        jmethodID main = env->GetStaticMethodID(type, "main", "([Ljava/lang/String;)V");
        ASSERT_NE(main, nullptr);
        jclass stringClass = env->FindClass("java/lang/String");
        ASSERT_NE(stringClass, nullptr);
        jobjectArray array =
            env->NewObjectArray(static_cast<jsize>(arguments.size()), stringClass, nullptr);
        ASSERT_NE(array, nullptr);
        for (size_t i = 0; i < arguments.size(); ++i) {
            jstring text = env->NewString(reinterpret_cast<const jchar*>(arguments[i].data()),
                                          static_cast<jsize>(arguments[i].size()));
            ASSERT_NE(text, nullptr);
            env->SetObjectArrayElement(array, static_cast<jsize>(i), text);
            ASSERT_EQ(env->ExceptionCheck(), JNI_FALSE);
            env->DeleteLocalRef(text);
        }
        env->CallStaticVoidMethod(type, main, array);
        env->DeleteLocalRef(array);
        env->DeleteLocalRef(stringClass);
        env->DeleteLocalRef(type);
    }

    // What Java itself prints for the throwable through printStackTrace(PrintWriter)
    // on a StringWriter: no bytes and no encoding on the way. Nothing may be pending.
    std::string printedByJava(jthrowable exception) {
        jclass writerClass = env->FindClass("java/io/StringWriter");
        jobject writer =
            env->NewObject(writerClass, env->GetMethodID(writerClass, "<init>", "()V"));
        jclass printClass = env->FindClass("java/io/PrintWriter");
        jobject print = env->NewObject(
            printClass, env->GetMethodID(printClass, "<init>", "(Ljava/io/Writer;)V"), writer);
        jclass throwableClass = env->FindClass("java/lang/Throwable");
        env->CallVoidMethod(
            exception,
            env->GetMethodID(throwableClass, "printStackTrace", "(Ljava/io/PrintWriter;)V"), print);
        EXPECT_EQ(env->ExceptionCheck(), JNI_FALSE);
        auto text = static_cast<jstring>(env->CallObjectMethod(
            writer, env->GetMethodID(writerClass, "toString", "()Ljava/lang/String;")));
        EXPECT_EQ(env->ExceptionCheck(), JNI_FALSE);
        const jchar* units = env->GetStringChars(text, nullptr);
        std::u16string copy(reinterpret_cast<const char16_t*>(units),
                            static_cast<size_t>(env->GetStringLength(text)));
        env->ReleaseStringChars(text, units);
        for (jobject made :
             {static_cast<jobject>(writerClass), writer, static_cast<jobject>(printClass), print,
              static_cast<jobject>(throwableClass), static_cast<jobject>(text)}) {
            env->DeleteLocalRef(made);
        }
        return platform::wideToUtf8(copy);
    }

    JNIEnv* env = nullptr;
};

constexpr char16_t kMessage[] = u"caf\u00E9 \u20AC \u4E2D \U0001F600 end";

TEST_F(ExceptionCapture, TextIsWholeAndTheSameExceptionIsPendingAgain) {
    callMain("testapp/ThrowNested", {kMessage});
    jthrowable thrown = env->ExceptionOccurred();
    ASSERT_NE(thrown, nullptr);

    WideString text = captureExceptionText(env, thrown);

    ASSERT_EQ(env->ExceptionCheck(), JNI_TRUE);
    jthrowable pending = env->ExceptionOccurred();
    EXPECT_TRUE(env->IsSameObject(pending, thrown));
    env->ExceptionClear();
    env->DeleteLocalRef(pending);

    std::string captured = utf8(text);
    std::string expectedFirstLine =
        "java.lang.IllegalStateException: " + platform::wideToUtf8(kMessage) + "\n";
    EXPECT_EQ(captured.rfind(expectedFirstLine, 0), 0u) << captured;
    EXPECT_NE(captured.find("\tat testapp.ThrowNested.inner(ThrowNested.java:"), std::string::npos)
        << captured;
    EXPECT_NE(captured.find("\tat testapp.ThrowNested.outer(ThrowNested.java:"), std::string::npos)
        << captured;
    EXPECT_NE(captured.find("\tat testapp.ThrowNested.main(ThrowNested.java:"), std::string::npos)
        << captured;
    EXPECT_NE(captured.find("Caused by: java.lang.IllegalArgumentException: the cause\n"),
              std::string::npos)
        << captured;
    // Whole: exactly what Java writes itself, character for character.
    EXPECT_EQ(captured, printedByJava(thrown));
    env->DeleteLocalRef(thrown);
    EXPECT_EQ(takeVmOutput(), "");
}

// The decision is handed the captured text and its answer is the result; the
// exception is pending again whatever it answered, and no decision continues.
TEST_F(ExceptionCapture, TheDecisionGetsTheTextAndItsAnswerCounts) {
    for (bool stop : {false, true}) {
        callMain("testapp/Throw");
        jthrowable thrown = env->ExceptionOccurred();
        ASSERT_NE(thrown, nullptr);
        std::string given;
        EXPECT_EQ(decideOnFailure(env, thrown,
                                  [&](const WideString& text) {
                                      given = utf8(text);
                                      return stop;
                                  }),
                  stop);
        EXPECT_FALSE(decideOnFailure(env, thrown, nullptr));
        jthrowable pending = env->ExceptionOccurred();
        EXPECT_TRUE(env->IsSameObject(pending, thrown));
        env->ExceptionClear();
        EXPECT_EQ(given, printedByJava(thrown));
        env->DeleteLocalRef(pending);
        env->DeleteLocalRef(thrown);
        EXPECT_EQ(takeVmOutput(), "");
    }
}

TEST_F(ExceptionCapture, NothingPendingStaysNothingPending) {
    jclass type = env->FindClass("java/lang/RuntimeException");
    ASSERT_NE(type, nullptr);
    jmethodID make = env->GetMethodID(type, "<init>", "(Ljava/lang/String;)V");
    jstring message = env->NewStringUTF("never thrown");
    auto unthrown = static_cast<jthrowable>(env->NewObject(type, make, message));
    ASSERT_NE(unthrown, nullptr);

    std::string captured = utf8(captureExceptionText(env, unthrown));
    EXPECT_EQ(env->ExceptionCheck(), JNI_FALSE);
    // Made by native code: no Java frame to show.
    EXPECT_EQ(captured, "java.lang.RuntimeException: never thrown\n");
    EXPECT_EQ(takeVmOutput(), "");
}

// HotSpot's -Xcheck:jni counted the live local references of a frame against the
// capacity asked for until JDK 20, which dropped that check (JDK-8297106): there
// the tests below show nothing, and the count is proved on the older VMs.
constexpr jint kJniVersionWithoutCapacityCheck = 0x00140000; // JNI_VERSION_20

TEST_F(ExceptionCapture, NoLocalReferenceIsLeftBehind) {
    // -Xcheck:jni compares the live local references of the frame with the
    // capacity asked for (here 16, plus its threshold of 32) after every call and
    // warns once they exceed it: a capture leaving one behind, 200 times, would.
    for (int round = 0; round < 200; ++round) {
        callMain("testapp/Throw");
        jthrowable thrown = env->ExceptionOccurred();
        ASSERT_NE(thrown, nullptr);
        ASSERT_FALSE(captureExceptionText(env, thrown).empty());
        ASSERT_EQ(env->ExceptionCheck(), JNI_TRUE);
        env->ExceptionClear();
        env->DeleteLocalRef(thrown);
    }
    EXPECT_EQ(takeVmOutput(), "");
}

TEST_F(ExceptionCapture, AnExceptionOfTheCaptureIsDescribedAndTheOriginalThrownAgain) {
    callMain("testapp/TraceFails");
    jthrowable thrown = env->ExceptionOccurred();
    ASSERT_NE(thrown, nullptr);

    std::string captured = utf8(captureExceptionText(env, thrown));

    // What printStackTrace wrote before it threw is kept.
    EXPECT_EQ(captured, "the first line only\n");
    jthrowable pending = env->ExceptionOccurred();
    EXPECT_TRUE(env->IsSameObject(pending, thrown));
    env->ExceptionClear();
    env->DeleteLocalRef(pending);
    env->DeleteLocalRef(thrown);
    // ExceptionDescribe's own part goes through the VM's stream, the throwable to System.err.
    std::string said = takeVmOutput();
    EXPECT_NE(said.find("Exception in thread \"main\" "), std::string::npos) << said;
    EXPECT_EQ(said.find("WARNING"), std::string::npos) << said;
}

// The controls: this VM does warn, in this embedding, about what the tests above
// must not do.
TEST_F(ExceptionCapture, ControlTheVmWarnsAboutACallWithAnExceptionPending) {
    callMain("testapp/Throw");
    ASSERT_EQ(env->ExceptionCheck(), JNI_TRUE);
    jclass found = env->FindClass("java/lang/String"); // against the rules, on purpose
    env->ExceptionClear();
    env->DeleteLocalRef(found);
    std::string said = takeVmOutput();
    EXPECT_NE(said.find("WARNING in native method: JNI call made with exception pending"),
              std::string::npos)
        << said;
}

TEST_F(ExceptionCapture, ControlTheVmWarnsAboutLocalReferencesLeftBehind) {
    if (env->GetVersion() >= kJniVersionWithoutCapacityCheck) {
        GTEST_SKIP() << "this VM no longer checks the local reference capacity (JDK-8297106)";
    }
    jclass type = env->FindClass("java/lang/String");
    for (int i = 0; i < 60; ++i) {
        env->NewLocalRef(type); // left behind on purpose; the frame's pop frees them
    }
    std::string said = takeVmOutput();
    EXPECT_NE(said.find("WARNING: JNI local refs:"), std::string::npos) << said;
}

} // namespace
} // namespace launcher
