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

// One argument as the C runtime's command-line parser reads it back: quoted when
// it holds a blank or a quote or is empty, backslashes doubled before a quote.
void appendQuoted(std::wstring& commandLine, const WideString& argument) {
    std::wstring text(wide(argument.c_str()));
    if (!text.empty() && text.find_first_of(L" \t\"") == std::wstring::npos) {
        commandLine += text;
        return;
    }
    commandLine += L'"';
    size_t backslashes = 0;
    for (wchar_t unit : text) {
        if (unit == L'\\') {
            ++backslashes;
            continue;
        }
        commandLine.append(unit == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        commandLine += unit;
    }
    commandLine.append(backslashes * 2, L'\\');
    commandLine += L'"';
}

} // namespace

void setProcessArguments(int, char**) {}

std::optional<WideString> commandLineText() {
    return WideString(reinterpret_cast<const char16_t*>(GetCommandLineW()));
}

WideStringList systemSplitArguments() {
    return {};
}

uint32_t currentProcessId() {
    return GetCurrentProcessId();
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

std::unique_ptr<ChildProcess> ChildProcess::startQuietly(const WideString& program,
                                                         const WideStringList& arguments,
                                                         SystemError& error) {
    std::wstring commandLine;
    appendQuoted(commandLine, program);
    for (const WideString& argument : arguments) {
        commandLine += L' ';
        appendQuoted(commandLine, argument);
    }
    SECURITY_ATTRIBUTES inherited = {sizeof(inherited), nullptr, TRUE};
    UniqueFileHandle nul(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING,
                                     0, nullptr));
    if (!nul) {
        error = SystemError::last("CreateFileW");
        return nullptr;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul.get();
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(wide(program.c_str()), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started)) {
        error = SystemError::last("CreateProcessW");
        return nullptr;
    }
    UniqueKernelHandle process(started.hProcess);
    UniqueKernelHandle thread(started.hThread);
    return std::make_unique<Win32ChildProcess>(std::move(process), std::move(thread));
}

} // namespace launcher::platform
