// Windows: CreateProcessW with standard output on a pipe, the command line quoted
// so that the program's runtime splits it back into the arguments given.
#include "pack/run_program.h"

#include "platform/text.h"
#include "platform/win32_handles.h"

namespace launcher::pack {

namespace {

std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t unit : argument) {
        if (unit == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(unit == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += unit;
    }
    out.append(2 * backslashes, L'\\');
    return out += L'"';
}

std::wstring wideOf(const std::string& utf8) {
    WideString text = platform::utf8ToWide(utf8);
    return std::wstring(text.view().begin(), text.view().end());
}

} // namespace

ProgramResult runProgram(const std::vector<std::string>& arguments) {
    ProgramResult result;
    if (arguments.empty()) {
        return result;
    }
    std::wstring commandLine;
    for (const std::string& argument : arguments) {
        commandLine += (commandLine.empty() ? L"" : L" ") + quoted(wideOf(argument));
    }
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        return result;
    }
    platform::UniqueKernelHandle reading(readEnd);
    platform::UniqueKernelHandle writing(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION started{};
    std::wstring program = wideOf(arguments[0]);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &started)) {
        return result;
    }
    platform::UniqueKernelHandle process(started.hProcess);
    platform::UniqueKernelHandle thread(started.hThread);
    writing.reset();
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(reading.get(), buffer, sizeof buffer, &count, nullptr) && count > 0) {
        result.output.append(buffer, count);
    }
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    result.exitCode = GetExitCodeProcess(process.get(), &code) ? static_cast<int>(code) : -1;
    return result;
}

} // namespace launcher::pack
