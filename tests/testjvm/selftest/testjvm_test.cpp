// The test JVM seen from a launcher's side: entry points, the record, option checks,
// and the scripted applications called through the JNI function table.
#include "jvm_client.h"
#include "support/scoped_variable.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <iterator>
#include <thread>

namespace testjvm::selftest {
namespace {

using launcher::testing::ScopedVariable;
using launcher::testing::TestFolder;
using Lines = std::vector<std::string>;

constexpr const char* kMainSignature = "([Ljava/lang/String;)V";

// Text as Java's println writes it on this system.
std::string javaLines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + javaLineSeparator();
    }
    return text;
}

class TestJvm : public ::testing::Test {
  protected:
    Lines recorded() const { return readLines(folder.path() / "record.txt"); }

    Lines recordedWithPrefix(const std::string& prefix) const {
        Lines matching;
        for (const std::string& line : recorded()) {
            if (line.rfind(prefix, 0) == 0) {
                matching.push_back(line);
            }
        }
        return matching;
    }

    // The record holds `expected` in this order, other lines allowed between.
    ::testing::AssertionResult recordHas(const Lines& expected) const {
        Lines lines = recorded();
        if (containsInOrder(lines, expected)) {
            return ::testing::AssertionSuccess();
        }
        auto failure = ::testing::AssertionFailure() << "the record holds:\n";
        for (const std::string& line : lines) {
            failure << "  " << line << "\n";
        }
        return failure;
    }

    // Waits (for at most 30 s) until the record holds the line; a launcher would wait
    // for its instance-ready event instead.
    bool waitForRecord(const std::string& line) const {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!containsInOrder(recorded(), {line})) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    CreatedVm create(const CreateRequest& request = {}) { return createVm(jvm, request); }

    CreatedVm createOrFail() {
        CreatedVm created = create();
        EXPECT_EQ(created.result, JNI_OK);
        return created;
    }

    std::string fileText(const std::string& name) const { return folder.read(name); }

    TestFolder folder;
    ScopedVariable recordTo{u"TESTJVM_RECORD", (folder.path() / "record.txt").u16string()};
    LoadedJvm jvm = LoadedJvm::freshCopy(folder.path());
};

// ---- entry points and the JDK 1.1 record ----

TEST(TestJvmVariants, EachVariantLacksExactlyItsOwnEntryPoint) {
    const char* names[] = {"JNI_CreateJavaVM", "JNI_GetDefaultJavaVMInitArgs",
                           "JNI_GetCreatedJavaVMs", "JVM_FindClassFromBootLoader"};
    const std::pair<const char*, const char*> variants[] = {
        {"default", ""},
        {"no-boot-loader", "JVM_FindClassFromBootLoader"},
        {"no-default-args", "JNI_GetDefaultJavaVMInitArgs"},
        {"no-create", "JNI_CreateJavaVM"},
    };
    for (auto [variant, missing] : variants) {
        std::optional<Library> library = Library::load(builtLibrary(variant));
        ASSERT_TRUE(library) << variant;
        for (const char* name : names) {
            EXPECT_EQ(library->symbol(name) != nullptr, std::strcmp(name, missing) != 0)
                << variant << " " << name;
        }
    }
}

struct Jdk11Record {
    alignas(8) unsigned char bytes[96] = {};
    jint at(size_t offset) const {
        jint value;
        std::memcpy(&value, bytes + offset, sizeof value);
        return value;
    }
    void set(size_t offset, jint value) { std::memcpy(bytes + offset, &value, sizeof value); }
};

constexpr size_t kJavaStackSizeOffset =
    24; // version, pad, properties, checkSource, nativeStackSize

TEST_F(TestJvm, Jdk11RecordReceivesTheDefaultStackSizeButTheCallReportsAnError) {
    Jdk11Record record;
    record.set(0, 0x00010001);
    // Like HotSpot, which no longer supports version 1.1 yet fills in the stack size.
    EXPECT_EQ(jvm.defaultArgs(record.bytes), JNI_ERR);
    EXPECT_EQ(record.at(0), 0x00010002);
    EXPECT_EQ(record.at(kJavaStackSizeOffset), 1048576);
    for (size_t i = 4; i < sizeof record.bytes; ++i) {
        if (i < kJavaStackSizeOffset || i >= kJavaStackSizeOffset + 4) {
            EXPECT_EQ(record.bytes[i], 0) << "byte " << i;
        }
    }
    EXPECT_EQ(recorded(), Lines{"call=JNI_GetDefaultJavaVMInitArgs 0x00010001"});
}

TEST_F(TestJvm, DefaultStackSizeComesFromTheEnvironment) {
    ScopedVariable stack(u"TESTJVM_DEFAULT_STACK", u"524288");
    Jdk11Record record;
    record.set(0, 0x00010001);
    jvm.defaultArgs(record.bytes);
    EXPECT_EQ(record.at(kJavaStackSizeOffset), 524288);
}

TEST_F(TestJvm, OtherArgumentRecordsAreLeftAlone) {
    Jdk11Record record;
    record.set(0, JNI_VERSION_1_2);
    EXPECT_EQ(jvm.defaultArgs(record.bytes), JNI_OK);
    record.set(0, 0x00010003);
    EXPECT_EQ(jvm.defaultArgs(record.bytes), JNI_ERR);
    EXPECT_EQ(record.at(0), 0x00010003);
    EXPECT_EQ(record.at(kJavaStackSizeOffset), 0);
}

// ---- creation ----

TEST_F(TestJvm, CreationRecordsTheRequestInOrder) {
    CreateRequest request;
    request.options = {"-Djava.class.path=app.jar",
                       toPlatformText("-Dtext=Grüße"),
                       "-Xmx64m",
                       "-Xss512k",
                       "-XX:ThreadStackSize=256",
                       "-XX:+UseSerialGC",
                       "-XX:-UseG1GC",
                       "-XX:MaxRAMPercentage=50.0",
                       "-verbose:gc",
                       "-ea:pkg...",
                       "-Xcheck:jni",
                       "exit"};
    CreatedVm created = create(request);
    ASSERT_EQ(created.result, JNI_OK);
    EXPECT_NE(created.vm, nullptr);
    EXPECT_NE(created.env, nullptr);
    Lines lines = recorded();
    Lines expected{"call=JNI_CreateJavaVM",
                   "version=0x00010002",
                   "nOptions=14",
                   "ignoreUnrecognized=0",
                   "option=-Djava.class.path=app.jar",
                   "option=-Dtext=Grüße",
                   "option=-Xmx64m",
                   "option=-Xss512k",
                   "option=-XX:ThreadStackSize=256",
                   "option=-XX:+UseSerialGC",
                   "option=-XX:-UseG1GC",
                   "option=-XX:MaxRAMPercentage=50.0",
                   "option=-verbose:gc",
                   "option=-ea:pkg...",
                   "option=-Xcheck:jni",
                   "option=exit",
                   "option=abort hook",
                   "option=exit hook"};
    ASSERT_GE(lines.size(), expected.size() + 2);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_EQ(lines[expected.size()].rfind("thread.stack=", 0), 0u);
    EXPECT_EQ(lines.back(), "create=0");
}

std::string hookText;
jint JNICALL captureVfprintf(FILE*, const char* format, va_list arguments) {
    char buffer[512];
    int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    hookText += buffer;
    return length;
}

TEST_F(TestJvm, UnrecognizedOptionsFailWithJniErrAndTheVmSaysWhich) {
    for (const char* option :
         {"-foo", "-Xfoo", "--class-path", "-javaagent:agent.jar", "vfprintf2"}) {
        hookText.clear();
        CreateRequest request;
        request.options = {option};
        request.vfprintf = reinterpret_cast<void*>(&captureVfprintf);
        EXPECT_EQ(create(request).result, JNI_ERR) << option;
        EXPECT_EQ(hookText, std::string("Unrecognized option: ") + option + "\n");
    }
    EXPECT_EQ(recordedWithPrefix("create="), Lines(5, "create=-1"));
}

TEST_F(TestJvm, MalformedOrUnknownXXOptionsFailWithJniEinval) {
    for (const char* option :
         {"-XX:+NoSuchFlag", "-XX:NoSuchFlag=1", "-XX:NoSuchFlag", "-XX:ThreadStackSize",
          "-XX:+ThreadStackSize", "-XX:UseSerialGC", "-XX:UseSerialGC=true",
          "-XX:ThreadStackSize=lots", "-XX:MaxRAMPercentage=half", "-Xmxlots", "-Xss", "-Xms1q",
          "-Xmx99999999999999999999"}) {
        CreateRequest request;
        request.options = {option};
        EXPECT_EQ(create(request).result, JNI_EINVAL) << option;
    }
    // Ignoring unrecognised options does not excuse a malformed known one.
    CreateRequest ignoring;
    ignoring.ignoreUnrecognized = true;
    ignoring.options = {"-XX:ThreadStackSize=lots"};
    EXPECT_EQ(create(ignoring).result, JNI_EINVAL);
}

TEST_F(TestJvm, IgnoredUnrecognizedOptionsLetCreationSucceed) {
    CreateRequest request;
    request.ignoreUnrecognized = true;
    request.options = {"-foo", "-XX:+NoSuchFlag", "-XX:Bogus=3"};
    EXPECT_EQ(create(request).result, JNI_OK);
    EXPECT_TRUE(recordHas({"ignoreUnrecognized=1", "option=-foo", "create=0"}));
}

TEST_F(TestJvm, UnsupportedJniVersionsFailWithJniEversion) {
    for (jint version : {0, 0x00010001, 0x00010003, 0x00010005, 0x000b0000, 0x00160000}) {
        CreateRequest request;
        request.version = version;
        EXPECT_EQ(create(request).result, JNI_EVERSION) << std::hex << version;
    }
    CreateRequest request;
    request.version = 0x000a0000;
    EXPECT_EQ(create(request).result, JNI_OK);
}

TEST_F(TestJvm, ForcedResultIsReturnedAndCreatesNothing) {
    for (jint forced : {-7, -4, -5, -2}) {
        CreateRequest request;
        request.options = {"-Dtestjvm.create.result=" + std::to_string(forced)};
        EXPECT_EQ(create(request).result, forced);
        jsize count = -1;
        jvm.createdVms(nullptr, 0, &count);
        EXPECT_EQ(count, 0);
    }
    EXPECT_EQ(create().result, JNI_OK);
}

TEST_F(TestJvm, OnlyTheFirstCreationInAProcessSucceeds) {
    CreatedVm first = createOrFail();
    JavaVM* listed = nullptr;
    jsize count = 0;
    EXPECT_EQ(jvm.createdVms(&listed, 1, &count), JNI_OK);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(listed, first.vm);

    EXPECT_EQ(create().result, JNI_EEXIST);
    CreateRequest bad;
    bad.options = {"-foo"};
    EXPECT_EQ(create(bad).result, JNI_EEXIST);

    EXPECT_EQ(first.vm->DetachCurrentThread(), JNI_OK);
    EXPECT_EQ(first.vm->DestroyJavaVM(), JNI_OK);
    jvm.createdVms(&listed, 1, &count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(create().result, JNI_EEXIST);
    EXPECT_EQ(recordedWithPrefix("create="),
              (Lines{"create=0", "create=-5", "create=-5", "create=-5"}));
}

// A path as the record writes it: UTF-8, with each backslash doubled.
std::string recordForm(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    std::string escaped;
    for (char8_t c : text) {
        escaped += static_cast<char>(c);
        if (c == u8'\\') {
            escaped += '\\';
        }
    }
    return escaped;
}

size_t recordedStack(const Lines& lines, size_t nth) {
    for (const std::string& line : lines) {
        if (line.rfind("thread.stack=", 0) == 0 && nth-- == 0) {
            return std::stoull(line.substr(13));
        }
    }
    return 0;
}

// The stack a thread was given, allowing for the guard and rounding the system adds.
void expectStackNear(size_t recorded, size_t given) {
    EXPECT_GE(recorded + 65536, given);
    EXPECT_LE(recorded, given + 65536);
}

TEST_F(TestJvm, CreationRecordsTheStackOfTheCallingThread) {
    constexpr size_t kGiven = 4u << 20;
    runOnThreadWithStack(kGiven, [&] {
        CreatedVm created = create();
        ASSERT_EQ(created.result, JNI_OK);
        created.vm->DetachCurrentThread();
    });
    expectStackNear(recordedStack(recorded(), 0), kGiven);
}

TEST_F(TestJvm, StackApplicationRecordsTheStackOfTheThreadThatCallsMain) {
    CreatedVm created = createOrFail();
    constexpr size_t kGiven = 3u << 20;
    runOnThreadWithStack(kGiven, [&] {
        JNIEnv* env = nullptr;
        ASSERT_EQ(created.vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr), JNI_OK);
        callMain(env, "testapp/Stack", {});
        created.vm->DetachCurrentThread();
    });
    EXPECT_TRUE(recordHas({"main=testapp/Stack", "args.count=0"}));
    expectStackNear(recordedStack(recorded(), 1), kGiven);
}

// ---- main classes and their arguments ----

TEST_F(TestJvm, ArgumentsReachMainAsTheUtf16TheyWereMadeOf) {
    CreatedVm created = createOrFail();
    JNIEnv* env = created.env;
    std::filesystem::path out = folder.path() / u8"ausgabe-ü.txt";
    redirectTo(env, "setOut", out, false);
    std::vector<std::u16string> arguments{
        u"Grüße",     u"日本語",      u"\U0001D11E clef", u"",
        u"two words", u"back\\slash", u"line\nbreak",     std::u16string{u'x', char16_t(0xD800)}};
    callMain(env, "testapp/PrintArgs", arguments);
    EXPECT_FALSE(env->ExceptionCheck());

    Lines expectedRecord{"main=testapp/PrintArgs",
                         "args.count=8",
                         "arg=Grüße",
                         "arg=日本語",
                         "arg=𝄞 clef",
                         "arg=",
                         "arg=two words",
                         "arg=back\\\\slash",
                         "arg=line\\nbreak",
                         "arg=x\\uD800",
                         "main.end=testapp/PrintArgs"};
    Lines lines = recorded();
    auto first = std::find(lines.begin(), lines.end(), "main=testapp/PrintArgs");
    ASSERT_NE(first, lines.end());
    EXPECT_EQ(Lines(first, lines.end()), expectedRecord);

    // The application's own output goes where System.setOut sent it, as UTF-8; a lone
    // surrogate becomes '?', as Java's encoder writes it.
    std::ifstream file(out, std::ios::binary);
    std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, javaLines({"args.count=8", "arg[0]=Grüße", "arg[1]=日本語", "arg[2]=𝄞 clef",
                                  "arg[3]=", "arg[4]=two words", "arg[5]=back\\slash",
                                  "arg[6]=line\nbreak", "arg[7]=x?"}));
    EXPECT_TRUE(recordHas({"setOut=" + recordForm(out)}));
}

TEST_F(TestJvm, StringsKeepTheirUnitsAcrossModifiedUtf8) {
    JNIEnv* env = createOrFail().env;
    jstring made = javaString(env, std::u16string{u'x', u'\0', char16_t(0xD834), char16_t(0xDD1E)});
    EXPECT_EQ(env->GetStringLength(made), 4);
    EXPECT_EQ(utf8Chars(env, made), "x\xC0\x80\xED\xA0\xB4\xED\xB4\x9E");

    jstring parsed = env->NewStringUTF("a\xC0\x80\xC3\xA9\xE2\x82\xAC");
    ASSERT_EQ(env->GetStringLength(parsed), 4);
    const jchar* units = env->GetStringChars(parsed, nullptr);
    EXPECT_EQ((std::u16string(reinterpret_cast<const char16_t*>(units), 4)),
              (std::u16string{u'a', u'\0', u'é', u'€'}));
    env->ReleaseStringChars(parsed, units);
}

TEST_F(TestJvm, LauncherHelperLoadsTheMainClassByItsDottedName) {
    JNIEnv* env = createOrFail().env;
    jclass helper = jvm.findBootClass(env, "sun/launcher/LauncherHelper");
    ASSERT_NE(helper, nullptr);
    EXPECT_FALSE(env->ExceptionCheck());
    jmethodID check = env->GetStaticMethodID(helper, "checkAndLoadMain",
                                             "(ZILjava/lang/String;)Ljava/lang/Class;");
    ASSERT_NE(check, nullptr);
    auto mainClass = static_cast<jclass>(env->CallStaticObjectMethod(
        helper, check, JNI_TRUE, jint{1}, env->NewStringUTF("testapp.PrintArgs")));
    ASSERT_NE(mainClass, nullptr);
    jmethodID main = env->GetStaticMethodID(mainClass, "main", kMainSignature);
    ASSERT_NE(main, nullptr);
    env->CallStaticVoidMethod(mainClass, main, stringArray(env, {u"a"}));
    EXPECT_TRUE(
        recordHas({"call=JVM_FindClassFromBootLoader sun/launcher/LauncherHelper",
                   "call=checkAndLoadMain testapp.PrintArgs", "main=testapp/PrintArgs", "arg=a"}));
}

TEST_F(TestJvm, BootLoaderAndFindClassSeeDifferentClasses) {
    JNIEnv* env = createOrFail().env;
    EXPECT_EQ(jvm.findBootClass(env, "testapp/PrintArgs"), nullptr);
    EXPECT_FALSE(env->ExceptionCheck());
    EXPECT_NE(jvm.findBootClass(env, "java/lang/String"), nullptr);
    EXPECT_EQ(env->FindClass("sun/launcher/LauncherHelper"), nullptr);
    EXPECT_EQ(takePendingException(env),
              "java.lang.NoClassDefFoundError: sun/launcher/LauncherHelper");
}

TEST_F(TestJvm, MissingClassesAndMethodsLeaveTheExceptionsJniDescribes) {
    JNIEnv* env = createOrFail().env;
    EXPECT_EQ(env->FindClass("testapp/Missing"), nullptr);
    EXPECT_EQ(takePendingException(env), "java.lang.NoClassDefFoundError: testapp/Missing");
    EXPECT_EQ(env->FindClass("testapp.PrintArgs"), nullptr);
    EXPECT_EQ(takePendingException(env), "java.lang.NoClassDefFoundError: testapp.PrintArgs");

    jclass noMain = env->FindClass("testapp/NoMain");
    ASSERT_NE(noMain, nullptr);
    EXPECT_EQ(env->GetStaticMethodID(noMain, "main", kMainSignature), nullptr);
    EXPECT_EQ(takePendingException(env), "java.lang.NoSuchMethodError: main");

    jclass quiet = env->FindClass("testapp/NoMainQuiet");
    ASSERT_NE(quiet, nullptr);
    EXPECT_EQ(env->GetStaticMethodID(quiet, "main", kMainSignature), nullptr);
    EXPECT_FALSE(env->ExceptionCheck());

    jclass printArgs = env->FindClass("testapp/PrintArgs");
    EXPECT_EQ(env->GetStaticMethodID(printArgs, "main", "([Ljava/lang/String;)I"), nullptr);
    EXPECT_EQ(takePendingException(env), "java.lang.NoSuchMethodError: main");
    EXPECT_EQ(env->GetMethodID(printArgs, "main", kMainSignature), nullptr);
    EXPECT_EQ(takePendingException(env), "java.lang.NoSuchMethodError: main");
}

TEST_F(TestJvm, AnExceptionThrownByMainIsPrintedWhenTheThreadLeaves) {
    CreatedVm created = createOrFail();
    JNIEnv* env = created.env;
    redirectTo(env, "setErr", folder.path() / "err.txt", false);
    callMain(env, "testapp/Throw", {});
    ASSERT_TRUE(env->ExceptionCheck());
    jthrowable thrown = env->ExceptionOccurred();
    EXPECT_NE(thrown, nullptr);
    EXPECT_EQ(fileText("err.txt"), "");
    EXPECT_EQ(created.vm->DetachCurrentThread(), JNI_OK);
    EXPECT_EQ(fileText("err.txt"), javaLines({"Exception in thread \"main\" "
                                              "java.lang.IllegalStateException: thrown by main"}));
    EXPECT_TRUE(recordHas({"main=testapp/Throw",
                           "uncaught=java.lang.IllegalStateException: thrown by main", "detach"}));
}

// What a capture of an uncaught exception's text uses: a UTF-8 print stream on a
// byte buffer, printStackTrace through CallVoidMethod, and Throw to make the
// same exception pending again.
TEST_F(TestJvm, AnExceptionsTextCanBeCapturedAndTheExceptionThrownAgain) {
    JNIEnv* env = createOrFail().env;
    callMain(env, "testapp/Throw", {});
    jthrowable thrown = env->ExceptionOccurred();
    ASSERT_NE(thrown, nullptr);
    env->ExceptionClear();

    jclass bufferClass = env->FindClass("java/io/ByteArrayOutputStream");
    jobject buffer = env->NewObject(bufferClass, env->GetMethodID(bufferClass, "<init>", "()V"));
    jstring encoding = env->NewStringUTF("UTF-8");
    jclass printClass = env->FindClass("java/io/PrintStream");
    jobject print = env->NewObject(
        printClass,
        env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;ZLjava/lang/String;)V"),
        buffer, JNI_FALSE, encoding);
    ASSERT_NE(print, nullptr);
    jclass thrownClass = env->GetObjectClass(thrown);
    env->CallVoidMethod(
        thrown, env->GetMethodID(thrownClass, "printStackTrace", "(Ljava/io/PrintStream;)V"),
        print);
    ASSERT_FALSE(env->ExceptionCheck());
    auto text = static_cast<jstring>(env->CallObjectMethod(
        buffer, env->GetMethodID(bufferClass, "toString", "(Ljava/lang/String;)Ljava/lang/String;"),
        encoding));
    EXPECT_EQ(utf8Chars(env, text), javaLines({"java.lang.IllegalStateException: thrown by main"}));

    EXPECT_EQ(env->Throw(thrown), JNI_OK);
    jthrowable pending = env->ExceptionOccurred();
    EXPECT_TRUE(pending != nullptr &&
                takePendingException(env) == "java.lang.IllegalStateException: thrown by main");
    EXPECT_TRUE(recordHas({"throw=java.lang.IllegalStateException: thrown by main"}));
    EXPECT_TRUE(recordedWithPrefix("jni.pending=").empty());
}

TEST_F(TestJvm, ExceptionDescribePrintsTheThrowableOnSystemErrAndClearsIt) {
    JNIEnv* env = createOrFail().env;
    redirectTo(env, "setErr", folder.path() / "err.txt", false);
    env->FindClass("testapp/Missing");
    env->ExceptionDescribe();
    EXPECT_FALSE(env->ExceptionCheck());
    // The thread part goes to the VM's own stream, the throwable to System.err.
    EXPECT_EQ(fileText("err.txt"), javaLines({"java.lang.NoClassDefFoundError: testapp/Missing"}));
    EXPECT_TRUE(recordHas({"describe=java.lang.NoClassDefFoundError: testapp/Missing"}));
}

TEST_F(TestJvm, FileOutputStreamAppendsOrTruncatesAndFailsLikeJava) {
    JNIEnv* env = createOrFail().env;
    folder.write("out.txt", "old\n");
    redirectTo(env, "setOut", folder.path() / "out.txt", true);
    callMain(env, "testapp/PrintArgs", {u"x"});
    EXPECT_EQ(fileText("out.txt"), "old\n" + javaLines({"args.count=1", "arg[0]=x"}));
    redirectTo(env, "setOut", folder.path() / "out.txt", false);
    callMain(env, "testapp/PrintArgs", {});
    EXPECT_EQ(fileText("out.txt"), javaLines({"args.count=0"}));

    jclass fileClass = env->FindClass("java/io/FileOutputStream");
    jmethodID open = env->GetMethodID(fileClass, "<init>", "(Ljava/lang/String;Z)V");
    std::filesystem::path missing = folder.path() / "no-such-folder" / "out.txt";
    EXPECT_EQ(env->NewObject(fileClass, open, javaString(env, missing.u16string()), JNI_FALSE),
              nullptr);
    std::string thrown = takePendingException(env);
    std::u8string missingText = missing.u8string();
    std::string expectedStart =
        "java.io.FileNotFoundException: " + std::string(missingText.begin(), missingText.end()) +
        " (";
    EXPECT_EQ(thrown.substr(0, expectedStart.size()), expectedStart) << thrown;

    jclass printClass = env->FindClass("java/io/PrintStream");
    jmethodID wrap = env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V");
    EXPECT_EQ(env->NewObject(printClass, wrap, nullptr), nullptr);
    EXPECT_EQ(takePendingException(env), "java.lang.NullPointerException: Null output stream");
}

TEST_F(TestJvm, ArraysCheckTheirBoundsAndElementTypes) {
    JNIEnv* env = createOrFail().env;
    EXPECT_EQ(env->NewCharArray(-1), nullptr);
    EXPECT_EQ(takePendingException(env), "java.lang.NegativeArraySizeException: -1");

    jcharArray chars = env->NewCharArray(3);
    const jchar units[] = {u'a', u'b'};
    env->SetCharArrayRegion(chars, 2, 2, units);
    EXPECT_EQ(
        takePendingException(env),
        "java.lang.ArrayIndexOutOfBoundsException: Array region 2..4 out of bounds for length 3");

    jclass stringClass = env->FindClass("java/lang/String");
    jobjectArray strings = env->NewObjectArray(2, stringClass, nullptr);
    EXPECT_EQ(env->GetArrayLength(strings), 2);
    EXPECT_EQ(env->GetArrayLength(chars), 3);
    env->SetObjectArrayElement(strings, 0, chars);
    EXPECT_EQ(takePendingException(env), "java.lang.ArrayStoreException: char[]");
    env->SetObjectArrayElement(strings, 2, env->NewStringUTF("x"));
    EXPECT_EQ(takePendingException(env),
              "java.lang.ArrayIndexOutOfBoundsException: Index 2 out of bounds for length 2");
    env->SetObjectArrayElement(strings, 1, env->NewStringUTF("kept"));
    EXPECT_FALSE(env->ExceptionCheck());
    EXPECT_EQ(utf8Chars(env, static_cast<jstring>(env->GetObjectArrayElement(strings, 1))), "kept");
    EXPECT_EQ(env->GetObjectArrayElement(strings, 0), nullptr);
    EXPECT_FALSE(env->ExceptionCheck());
    EXPECT_EQ(env->GetObjectArrayElement(strings, -1), nullptr);
    EXPECT_EQ(takePendingException(env),
              "java.lang.ArrayIndexOutOfBoundsException: Index -1 out of bounds for length 2");
}

TEST_F(TestJvm, CallingIntoJavaWithAnExceptionPendingIsRecorded) {
    JNIEnv* env = createOrFail().env;
    env->FindClass("testapp/Missing");
    env->FindClass("java/lang/String");
    env->ExceptionClear();
    env->FindClass("java/lang/System");
    EXPECT_EQ(recordedWithPrefix("jni.pending="), Lines{"jni.pending=FindClass"});
}

// ---- threads ----

TEST_F(TestJvm, ThreadsAttachAndDetachWithTheirOwnEnvironment) {
    CreatedVm created = createOrFail();
    JavaVM* vm = created.vm;
    std::thread([&] {
        JNIEnv* env = nullptr;
        EXPECT_EQ(vm->GetEnv(reinterpret_cast<void**>(&env), JNI_VERSION_1_2), JNI_EDETACHED);
        EXPECT_EQ(env, nullptr);
        ASSERT_EQ(vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr), JNI_OK);
        EXPECT_NE(env, created.env);
        JNIEnv* again = nullptr;
        EXPECT_EQ(vm->GetEnv(reinterpret_cast<void**>(&again), JNI_VERSION_1_8), JNI_OK);
        EXPECT_EQ(again, env);
        EXPECT_EQ(vm->GetEnv(reinterpret_cast<void**>(&again), 0x00010003), JNI_EVERSION);
        // An exception pending on one thread is not seen on another.
        env->FindClass("testapp/Missing");
        EXPECT_TRUE(env->ExceptionCheck());
        EXPECT_EQ(vm->DetachCurrentThread(), JNI_OK);
        EXPECT_EQ(vm->GetEnv(reinterpret_cast<void**>(&again), JNI_VERSION_1_2), JNI_EDETACHED);
        EXPECT_EQ(vm->DetachCurrentThread(), JNI_OK);
        JavaVMAttachArgs wrongVersion{0x00010003, nullptr, nullptr};
        EXPECT_EQ(vm->AttachCurrentThread(reinterpret_cast<void**>(&env), &wrongVersion),
                  JNI_EVERSION);
        ASSERT_EQ(vm->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), nullptr), JNI_OK);
        EXPECT_EQ(vm->DetachCurrentThread(), JNI_OK);
    }).join();
    EXPECT_FALSE(created.env->ExceptionCheck());
    EXPECT_TRUE(recordHas({"attach", "uncaught=java.lang.NoClassDefFoundError: testapp/Missing",
                           "detach", "attach.daemon", "detach"}));
}

// The application thread: creates the VM and runs `main`, like a launcher's.
struct ApplicationThread {
    std::promise<JavaVM*> created;
    std::future<void> done;

    ApplicationThread(const LoadedJvm& jvm, const char* mainClass) {
        done = std::async(std::launch::async, [this, &jvm, mainClass] {
            CreatedVm vm = createVm(jvm, {});
            created.set_value(vm.result == JNI_OK ? vm.vm : nullptr);
            if (vm.result == JNI_OK) {
                callMain(vm.env, mainClass, {u"first"});
                vm.vm->DetachCurrentThread();
            }
        });
    }
};

JNIEnv* attach(JavaVM* vm) {
    JNIEnv* env = nullptr;
    vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr);
    return env;
}

void callStaticVoid(JNIEnv* env, const char* className, const char* method) {
    jclass type = env->FindClass(className);
    ASSERT_NE(type, nullptr);
    jmethodID id = env->GetStaticMethodID(type, method, "()V");
    ASSERT_NE(id, nullptr);
    env->CallStaticVoidMethodA(type, id, nullptr);
}

TEST_F(TestJvm, ServiceMainRunsUntilStopIsCalledFromAnotherThread) {
    ApplicationThread application(jvm, "testapp/Service");
    JavaVM* vm = application.created.get_future().get();
    ASSERT_NE(vm, nullptr);
    ASSERT_TRUE(waitForRecord("main=testapp/Service"));
    EXPECT_EQ(application.done.wait_for(std::chrono::milliseconds(300)),
              std::future_status::timeout);
    JNIEnv* env = attach(vm);
    callStaticVoid(env, "testapp/Service", "stop");
    EXPECT_EQ(vm->DetachCurrentThread(), JNI_OK);
    ASSERT_EQ(application.done.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_TRUE(recordHas(
        {"main=testapp/Service", "arg=first", "attach", "stop", "main.end=testapp/Service"}));
}

TEST_F(TestJvm, SecondaryMainReceivesForwardedArgumentsWhileMainWaits) {
    ApplicationThread application(jvm, "testapp/Forward");
    JavaVM* vm = application.created.get_future().get();
    ASSERT_NE(vm, nullptr);
    ASSERT_TRUE(waitForRecord("main=testapp/Forward"));
    JNIEnv* env = attach(vm);

    jclass forward = env->FindClass("testapp/Forward");
    jmethodID voidForm = env->GetStaticMethodID(forward, "secondaryMain", kMainSignature);
    ASSERT_NE(voidForm, nullptr);
    env->CallStaticVoidMethod(forward, voidForm, stringArray(env, {u"a", u"b c", u""}));

    jclass forwardInt = env->FindClass("testapp/ForwardInt");
    EXPECT_EQ(env->GetStaticMethodID(forwardInt, "secondaryMain", kMainSignature), nullptr);
    EXPECT_EQ(takePendingException(env), "java.lang.NoSuchMethodError: secondaryMain");
    jmethodID intForm =
        env->GetStaticMethodID(forwardInt, "secondaryMain", "([Ljava/lang/String;)I");
    ASSERT_NE(intForm, nullptr);
    EXPECT_EQ(env->CallStaticIntMethod(forwardInt, intForm, stringArray(env, {u"x", u"ÿ"})), 2);

    EXPECT_EQ(application.done.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
    callStaticVoid(env, "testapp/Forward", "stop");
    vm->DetachCurrentThread();
    ASSERT_EQ(application.done.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_TRUE(recordHas({"main=testapp/Forward", "secondaryMain=[a] [b c] []",
                           "secondaryMain=[x] [ÿ]", "stop", "main.end=testapp/Forward"}));
}

TEST_F(TestJvm, WaitingMainEndsAfterTheConfiguredTime) {
    CreateRequest request;
    request.options = {"-Dtestjvm.wait.ms=50"};
    JNIEnv* env = create(request).env;
    ASSERT_NE(env, nullptr);
    callMain(env, "testapp/Service", {});
    EXPECT_TRUE(recordHas({"main=testapp/Service", "wait.timeout", "main.end=testapp/Service"}));
}

TEST_F(TestJvm, DestroyWaitsForTheApplicationsNonDaemonThread) {
    CreatedVm created = createOrFail();
    redirectTo(created.env, "setOut", folder.path() / "out.txt", false);
    callMain(created.env, "testapp/NonDaemon", {});
    EXPECT_EQ(created.vm->DetachCurrentThread(), JNI_OK);
    EXPECT_EQ(created.vm->DestroyJavaVM(), JNI_OK);
    EXPECT_TRUE(recordHas({"main.end=testapp/NonDaemon", "detach", "call=DestroyJavaVM",
                           "nondaemon=finished", "destroy"}));
    EXPECT_EQ(fileText("out.txt"), javaLines({"non-daemon thread finished"}));
    EXPECT_EQ(created.vm->DestroyJavaVM(), JNI_ERR);
}

TEST_F(TestJvm, DestroyWaitsForAttachedThreadsToLeave) {
    CreatedVm created = createOrFail();
    JavaVM* vm = created.vm;
    std::promise<void> attached;
    std::thread other([&] {
        attach(vm);
        attached.set_value();
        // Leave only once DestroyJavaVM is under way.
        waitForRecord("call=DestroyJavaVM");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        vm->DetachCurrentThread();
    });
    attached.get_future().wait();
    vm->DetachCurrentThread();
    EXPECT_EQ(vm->DestroyJavaVM(), JNI_OK);
    other.join();
    Lines lines = recorded();
    EXPECT_EQ(lines.back(), "destroy");
    EXPECT_TRUE(recordHas({"call=DestroyJavaVM", "detach", "destroy"}));
}

// ---- what ends the process, seen from outside ----

class TestJvmProcess : public TestJvm {
  protected:
    ChildResult run(const std::string& scenario) {
        // A sanitizer's leak check at exit cannot cope with a process that System.exit
        // ends from one thread while others run; the child's leaks are not our subject.
        const char* sanitizer = std::getenv("ASAN_OPTIONS");
        std::string options =
            std::string(sanitizer != nullptr ? sanitizer : "") + ":detect_leaks=0";
        ScopedVariable noLeakCheck(u"ASAN_OPTIONS", std::u16string(options.begin(), options.end()));
        return runSelf({"--scenario", scenario}, folder.path());
    }
};

TEST_F(TestJvmProcess, SystemExitCallsTheExitHookAndEndsWithTheCode) {
    ChildResult result = run("exit-7");
    EXPECT_EQ(result.exitCode, 7);
    EXPECT_EQ(result.err, "exit hook: 7\n");
    Lines lines = recorded();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "exit=7");
    EXPECT_TRUE(recordHas({"main=testapp/Exit", "exit=7"}));
}

TEST_F(TestJvmProcess, ExitApplicationUsesCode3ByDefault) {
    ChildResult result = run("exit-default");
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.err, "exit hook: 3\n");
    EXPECT_EQ(recorded().back(), "exit=3");
}

TEST_F(TestJvmProcess, SystemExitFromAnAttachedThreadEndsTheProcess) {
    ChildResult result = run("exit-from-attached-thread");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "exit hook: 0\n");
    // The main thread may still record while the other one ends the process.
    EXPECT_TRUE(recordHas({"attach", "call=FindClass java/lang/System", "exit=0"}));
}

TEST_F(TestJvmProcess, CheckAndLoadMainEndsTheProcessForAnUnknownClass) {
    ChildResult result = run("missing-main-class");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              javaLines({"Error: Could not find or load main class testapp.Missing",
                         "Caused by: java.lang.ClassNotFoundException: testapp.Missing"}) +
                  "exit hook: 1\n");
    EXPECT_EQ(recorded().back(), "exit=1");
}

TEST_F(TestJvmProcess, CheckAndLoadMainPrintsOnStandardOutputWhenAskedTo) {
    ChildResult result = run("missing-main-class-stdout");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out,
              javaLines({"Error: Could not find or load main class testapp.Missing",
                         "Caused by: java.lang.ClassNotFoundException: testapp.Missing"}));
}

TEST_F(TestJvmProcess, CheckAndLoadMainEndsTheProcessForAClassWithoutMain) {
    ChildResult result = run("missing-main-method");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.rfind(javaLines({"Error: Main method not found in class testapp.NoMain, "
                                          "please define the main method as:",
                                          "   public static void main(String[] args)"}),
                               0),
              0u)
        << result.err;
}

TEST_F(TestJvmProcess, AnUnimplementedJniFunctionAbortsTheProcess) {
    ChildResult result = run("unimplemented-env-slot");
    EXPECT_TRUE(result.aborted) << result.exitCode;
    EXPECT_EQ(result.err.rfind("testjvm: unimplemented JNI function 10\nabort hook\n", 0), 0u)
        << result.err;
    EXPECT_EQ(recorded().back(), "fatal=unimplemented JNI function 10");
}

TEST_F(TestJvmProcess, AReservedInvocationSlotAbortsTheProcess) {
    ChildResult result = run("unimplemented-vm-slot");
    EXPECT_TRUE(result.aborted) << result.exitCode;
    EXPECT_EQ(recorded().back(), "fatal=unimplemented JNI function 1");
}

TEST_F(TestJvmProcess, UsingADeletedLocalReferenceAbortsTheProcess) {
    ChildResult result = run("deleted-reference");
    EXPECT_TRUE(result.aborted) << result.exitCode;
    EXPECT_EQ(recorded().back(), "fatal=GetStringLength got a reference that was already deleted");
}

TEST_F(TestJvmProcess, UsingAnotherThreadsEnvironmentAbortsTheProcess) {
    ChildResult result = run("foreign-environment");
    EXPECT_TRUE(result.aborted) << result.exitCode;
    EXPECT_EQ(recorded().back(), "fatal=FindClass got the JNIEnv of another thread");
}

} // namespace
} // namespace testjvm::selftest
