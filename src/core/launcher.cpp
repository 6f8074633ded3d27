#include "core/launcher.h"

#include "config/ini_paths.h"
#include "core/command_line.h"
#include "core/error_output.h"
#include "core/launcher_error.h"
#include "core/message_catalogue.h"
#include "core/message_ids.h"
#include "java/jdk11_init_args.h"
#include "java/jvm_options.h"
#include "java/process_environment.h"
#include "jre/runtime_search.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/thread.h"
#include "service/service_host.h"

#include <atomic>
#include <new>

namespace launcher {

namespace {

std::atomic<Launcher*> currentLauncher{nullptr};

} // namespace

Launcher::Launcher() noexcept {
    currentLauncher.store(this);
}

Launcher::~Launcher() {
    java.destroyVm();
    instance.shutDown();
    currentLauncher.store(nullptr);
}

Launcher* Launcher::current() noexcept {
    return currentLauncher.load();
}

bool Launcher::prepare() {
    buildArgumentList(arguments);
    if (!readSettings(settings)) {
        return false;
    }
    if (!instance.check(*this)) {
        return false;
    }
    if (instance.active() && !instance.primary()) {
        return true;
    }
    if (settings.overrideWorkingDir) {
        overrideWorkingDirectory();
    }
    if (!resolveRuntime(*this)) {
        return false;
    }
    if (!chosenRuntimeFolder.empty()) {
        saveJrePath(settings, chosenRuntimeFolder);
    }
    return true;
}

void Launcher::overrideWorkingDirectory() {
    WideString path;
    if (!executablePath(path)) {
        return;
    }
    int32_t cut = path.findLast(platform::kPathSeparator);
    // At a drive root the folder is the bare drive designator (C:).
    if (cut > 0) {
        platform::setCurrentDirectory(path.left(cut));
    }
}

int Launcher::run() {
    if (pairHandOver) {
        return handOverToPairProduct();
    }
    if (instance.active() && !instance.primary()) {
        return instance.waitForPrimary();
    }
    prepareProcessEnvironment(*this);
    if (!jvmLibrary.load(jvmLibraryPath)) {
        return kExitFailure;
    }
    buildJvmOptions(*this);
    return runApplicationThread() == 0 ? 0 : kExitFailure;
}

// A program that cannot be started is a failed launch, not a success: report it
// with the system's error code.
int Launcher::handOverToPairProduct() {
    uint32_t error = 0;
    auto program = platform::ChildProcess::startWithOwnCommandLine(settings.pairProduct, error);
    if (!program) {
        reportMessage(msg::kWindowsException, {settings.pairProduct, error});
        return kExitFailure;
    }
    if (!settings.pairReturnCode) {
        return 0;
    }
    return static_cast<int>(program->waitForExitCode().value_or(0));
}

size_t Launcher::defaultJavaStackSize() {
    Jdk11InitArgs arguments{};
    arguments.version = kJniVersion11;
    jvmLibrary.getDefaultJavaVmInitArgs(&arguments);
    return arguments.javaStackSize > 0 ? static_cast<size_t>(arguments.javaStackSize) : 0;
}

int Launcher::runApplicationThread() {
    if (applicationThreadStackSize == 0) {
        applicationThreadStackSize = defaultJavaStackSize();
    }
    auto thread =
        platform::Thread::start(applicationThreadStackSize, &JavaHost::runApplicationThread, this);
    if (!thread) {
        return static_cast<int>(JavaHost::runApplicationThread(this));
    }
    return static_cast<int>(thread->join());
}

int launcherMain() {
    try {
        Launcher launcher;
        ServiceHost service(launcher);
        platform::useSystemLocale();
        if (!launcher.prepare()) {
            return kExitFailure;
        }
        if (launcher.settings.serviceMode) {
            launcher.vmExitListener = &service;
            return service.runDispatcher();
        }
        return launcher.run();
    } catch (const LauncherError& error) {
        reportEscapedError(error.code());
    } catch (const std::bad_alloc&) {
        reportEscapedError(kErrorOutOfMemory);
    }
    return kExitFailure;
}

} // namespace launcher
