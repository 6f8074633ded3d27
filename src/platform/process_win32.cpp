// Processes through CreateProcessW, and the thread locale.
#include "platform/process.h"

#include "platform/win32_handles.h"

#include <string>

namespace launcher::platform {

namespace {

class Win32ChildProcess final : public ChildProcess {
  public:
    Win32ChildProcess(UniqueKernelHandle process, UniqueKernelHandle thread) noexcept
        : process_(std::move(process)), thread_(std::move(thread)) {}
    std::optional<uint32_t> waitForExitCode() override {
        if (WaitForSingleObject(process_.get(), INFINITE) != WAIT_OBJECT_0) {
            return std::nullopt;
        }
        DWORD code = 0;
        if (!GetExitCodeProcess(process_.get(), &code)) {
            return std::nullopt;
        }
        return code;
    }

  private:
    UniqueKernelHandle process_;
    UniqueKernelHandle thread_;
};

} // namespace

void setProcessArguments(int, char**) {}

const std::vector<std::string>& processArgumentVector() {
    static const std::vector<std::string> none;
    return none;
}

void useSystemLocale() {
    SetThreadLocale(GetSystemDefaultLCID());
}

std::unique_ptr<ChildProcess> ChildProcess::startWithOwnCommandLine(const WideString& program,
                                                                    SystemError& error) {
    // CreateProcessW may write into the command line, so it gets a copy.
    std::wstring commandLine(GetCommandLineW());
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(wide(program.c_str()), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &started)) {
        error = SystemError::last("CreateProcessW");
        return nullptr;
    }
    // Owned before anything else can fail, so neither handle leaks.
    UniqueKernelHandle process(started.hProcess);
    UniqueKernelHandle thread(started.hThread);
    return std::make_unique<Win32ChildProcess>(std::move(process), std::move(thread));
}

} // namespace launcher::platform
