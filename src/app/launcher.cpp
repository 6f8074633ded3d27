// The launch sequence: prepare, run, hand-over, application thread, teardown.
#include "app/launcher.h"

#include "config/command_line.h"
#include "config/ini_paths.h"
#include "java/jdk11_init_args.h"
#include "java/jvm_options.h"
#include "java/option_encoding.h"
#include "java/process_environment.h"
#include "java/startup_cache.h"
#include "jre/runtime_search.h"
#include "messages/error_output.h"
#include "messages/message_catalogue.h"
#include "messages/message_ids.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/thread.h"
#include "platform/trace.h"
#include "service/service_host.h"
#include "ui/error_box.h"
#include "ui/exception_dialog.h"
#include "ui/runtime_folder.h"

#include <optional>
#include <string>

namespace launcher {

namespace {

int traceExit(int code, std::string_view reason) {
    platform::TraceLine("exit").add("code", code).add("reason", reason);
    return code;
}

void traceStart(const RunContext& context, const WideStringList& startArguments) {
    if (!platform::traceEnabled()) {
        return;
    }
    platform::TraceLine("start")
        .add("executable", context.executable.view())
        .add("process", platform::currentProcessId())
        .add("arguments", startArguments.size());
    for (const WideString& argument : startArguments) {
        platform::TraceLine("argument").add("value", argument.view());
    }
}

} // namespace

Launcher::~Launcher() {
    java.destroyVm();
    instance.shutDown();
}

bool Launcher::prepare() {
    buildArgumentList(arguments);
    bool found = findRunContext(context);
    ui::showErrorLinesInABox(context.programName);
    traceStart(context, arguments);
    if (!found || !readSettings(context, settings)) {
        return false;
    }
    if (settings.serviceMode) {
        ui::stopShowingErrorLines();
    } else if (!settings.productName.empty()) {
        ui::showErrorLinesInABox(settings.productName);
    }
    if (!instance.check(settings, context, {settings.mainClass, ibmRuntimesAdmitted(settings)})) {
        return false;
    }
    if (instance.active() && !instance.primary() && !instance.forwardArguments(arguments)) {
        return false;
    }
    platform::TraceLine("single-instance")
        .add("active", instance.active())
        .add("primary", instance.primary());
    if (instance.active() && !instance.primary()) {
        return true;
    }
    if (instance.active()) {
        java.signalInstanceReady = [this] {
            instance.signalReady(java.vm);
        };
    }
    if (settings.overrideWorkingDir) {
        overrideWorkingDirectory();
    }
    // When no source has a runtime, the user is asked for one (a dialog, or a
    // terminal prompt on Linux).
    std::optional<RuntimeChoice> runtime = resolveRuntime(settings, context, chooseRuntimeFolder);
    if (!runtime) {
        return false;
    }
    jvmLibraryPath = runtime->jvmLibraryPath;
    pairHandOver = runtime->pairHandOver;
    chosenRuntimeFolder = runtime->chosenFolder;
    if (!chosenRuntimeFolder.empty()) {
        saveJrePath(settings, context, chosenRuntimeFolder);
    }
    return true;
}

void Launcher::overrideWorkingDirectory() {
    // At a drive root the folder is the bare drive designator (C:).
    WideString folder = platform::parentPath(context.launcherFolder);
    if (!folder.empty()) {
        bool changed = platform::setCurrentDirectory(folder);
        platform::TraceLine("working-directory").add("path", folder.view()).add("changed", changed);
    }
}

int Launcher::run() {
    if (pairHandOver) {
        return traceExit(handOverToPairProduct(), "pair-product");
    }
    if (instance.active() && !instance.primary()) {
        return traceExit(instance.waitForPrimary(), "second-instance");
    }
    std::optional<WideString> libraryPathOption = prepareProcessEnvironment(
        {jvmLibraryPath, settings.libraryPath, settings.systemPath, context.launcherFolder});
    if (!loadJvmLibrary()) {
        return traceExit(kExitFailure, "jvm-library-not-loaded");
    }
    if (!assembleJavaApplication(std::move(libraryPathOption))) {
        return traceExit(kExitFailure, "options-not-assembled");
    }
    uint32_t result = runApplicationThread();
    int exitCode = result == kApplicationReturned ? 0
                   : result == kApplicationThrew  ? kExitMainThrew
                                                  : kExitFailure;
    instance.primaryEnds(exitCode);
    return traceExit(exitCode, result == kApplicationReturned ? "main-returned"
                               : result == kApplicationThrew  ? "main-threw"
                                                              : "application-failed");
}

// The VM finds its home, and so its class library, from the path of the library
// it was loaded from, which it reads as narrow text.
bool Launcher::loadJvmLibrary() {
    NarrowForm narrow = NarrowForm::ofSystem();
    // The release file is read only when the version matters.
    int feature = narrow.keeps(jvmLibraryPath.view()) ? 0 : runtimeFeatureVersion(jvmLibraryPath);
    std::optional<RuntimeForm> runtime = chooseRuntimeForm(jvmLibraryPath, feature, narrow);
    if (!runtime) {
        platform::TraceLine("stop").add("reason", "runtime-path-not-writable");
        reportMessage(msg::kOptionNotWritable, {u"-Djava.home"});
        return false;
    }
    java.application.writableRuntimeHome = runtime->home;
    return jvmLibrary.load(runtime->library);
}

// A failed assembly stops the launch: a VM without "-Djava.class.path=" would
// load the main class from wherever the user happens to stand.
bool Launcher::assembleJavaApplication(std::optional<WideString> libraryPathOption) {
    readJavaOptionSettings(context, settings);
    JvmOptionAssembly assembly;
    assembly.applicationThreadStackSize = applicationThreadStackSize;
    if (!buildJvmOptions(settings.javaOptions, context, assembly)) {
        return false;
    }
    if (libraryPathOption) {
        assembly.options.insert(assembly.options.begin(), std::move(*libraryPathOption));
    }
    if (settings.startupCache) {
        useStartupCache(assembly.options);
    }
    EncodedJvmOptions encoded;
    if (!encodeJvmOptions(assembly.options, NarrowForm::ofSystem(), encoded)) {
        platform::TraceLine("stop").add("reason", "option-not-writable");
        return false;
    }
    applicationThreadStackSize = assembly.applicationThreadStackSize;
    arguments.insert(arguments.end(), assembly.extraArguments.begin(),
                     assembly.extraArguments.end());

    JavaApplication& application = java.application;
    application.library = &jvmLibrary;
    application.options = std::move(encoded.options);
    application.laterProperties = std::move(encoded.laterProperties);
    application.mainClass = settings.mainClass;
    application.arguments = arguments;
    application.redirection = std::move(assembly.redirection);
    application.failureCheck = settings.failureCheck;
    application.failureDecision = askToStopOnException;
    application.ibmRuntimesAdmitted = ibmRuntimesAdmitted(settings);
    return true;
}

namespace {

// What this run writes for the start-up cache, published when the VM has ended
// (the VM's hooks take no context).
StartupCachePlan& startupCachePlan() {
    static StartupCachePlan plan;
    return plan;
}

void publishThisRunsStartupCache() {
    publishStartupCache(startupCachePlan());
}

} // namespace

// The cache lives in the product's machine-local cache folder. JAVA_TOOL_OPTIONS
// is read by the VM itself, so the cache must fit what it holds too.
void Launcher::useStartupCache(WideStringList& options) {
    StartupCacheRequest request;
    std::string_view problem;
    request.folder = startupCacheFolder(settings.productName, settings.productCode, problem);
    request.name = context.programName;
    request.executablePath = context.executable;
    request.jvmLibraryPath = jvmLibraryPath;
    request.options = options;
    platform::getEnvironmentVariable(u"JAVA_TOOL_OPTIONS", request.toolOptions);
    if (request.folder.empty()) {
        platform::TraceLine("startup-cache").add("result", "none").add("reason", problem);
        return;
    }
    std::optional<StartupCachePlan> plan = planStartupCache(request);
    if (!plan) {
        return;
    }
    // A cache only speeds the start up: one whose files the VM could not be
    // told of is left out rather than stopping the launch.
    NarrowForm narrow = NarrowForm::ofSystem();
    for (const WideString& option : plan->options) {
        if (chooseOptionForm(option, narrow).route == OptionRoute::Refused) {
            platform::TraceLine("startup-cache").add("result", "path-not-writable");
            return;
        }
    }
    options.insert(options.begin(), plan->options.begin(), plan->options.end());
    if (!plan->pendingFile.empty()) {
        startupCachePlan() = std::move(*plan);
        setVmEndAction(&publishThisRunsStartupCache);
    }
}

// A program that cannot be started is a failed launch, not a success: report it
// with the system's error code.
int Launcher::handOverToPairProduct() {
    platform::SystemError error;
    auto program = platform::ChildProcess::startWithOwnCommandLine(settings.pairProduct, error);
    platform::TraceLine("hand-over")
        .add("program", settings.pairProduct.view())
        .add("started", static_cast<bool>(program))
        .add("wait", settings.pairReturnCode);
    if (!program) {
        reportMessage(msg::kWindowsException, {settings.pairProduct, error.code});
        return kExitFailure;
    }
    if (!settings.pairReturnCode) {
        return 0;
    }
    std::optional<uint32_t> code = program->waitForExitCode();
    if (!code) {
        // An end that cannot be told is no success.
        platform::TraceLine("hand-over").add("exit-code", "unreadable");
        return kExitFailure;
    }
    return static_cast<int>(*code);
}

size_t Launcher::defaultJavaStackSize() {
    Jdk11InitArgs initArgs{};
    initArgs.version = kJniVersion11;
    jvmLibrary.getDefaultJavaVmInitArgs(&initArgs);
    return initArgs.javaStackSize > 0 ? static_cast<size_t>(initArgs.javaStackSize) : 0;
}

uint32_t Launcher::runApplicationThread() {
    if (applicationThreadStackSize == 0) {
        applicationThreadStackSize = defaultJavaStackSize();
    }
    platform::TraceLine("application-thread").add("stack-size", applicationThreadStackSize);
    auto thread =
        platform::Thread::start(applicationThreadStackSize, &JavaHost::runApplicationThread, &java);
    if (!thread) {
        platform::TraceLine("application-thread").add("started", false);
        return JavaHost::runApplicationThread(&java);
    }
    return thread->join();
}

namespace {

int runLauncher() {
    // The service outlives the launcher: the VM, which the teardown destroys,
    // may still report its end to it.
    ServiceHost service;
    Launcher launcher;
    platform::useSystemLocale();
    if (!launcher.prepare()) {
        return traceExit(kExitFailure, "not-prepared");
    }
    if (launcher.settings.serviceMode) {
        setVmExitListener(&service);
        launcher.java.mainStarting = [&launcher, &service] {
            service.mainCalled(launcher.java.vm);
        };
        ServiceLaunch launch;
        launch.run = [&launcher](const WideStringList& serviceArguments) {
            launcher.arguments.insert(launcher.arguments.end(), serviceArguments.begin(),
                                      serviceArguments.end());
            return launcher.run();
        };
        launch.mainClass = launcher.settings.mainClass;
        launch.omitServiceName = launcher.settings.omitServiceName;
        launch.ibmRuntimesAdmitted = ibmRuntimesAdmitted(launcher.settings);
        return service.runDispatcher(std::move(launch));
    }
    return launcher.run();
}

} // namespace

int launcherMain() {
    int code = kExitFailure;
    if (reportingEscapedErrors([&code] { code = runLauncher(); })) {
        return code;
    }
    return traceExit(kExitFailure, "internal-error");
}

} // namespace launcher
