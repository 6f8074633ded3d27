// Runs one Windows command line and writes its full 32-bit exit code to a file.
// Wine hands a process's exit code to Linux cut to 8 bits and re-quotes the
// arguments it passes on, so tests give the exact command line and read the code
// through this program:
//   LAUNCHER_PROBE_COMMAND_LINE  the command line, exactly as the process is to see it
//   LAUNCHER_PROBE_RESULT        the file that receives the exit code in decimal
//   LAUNCHER_PROBE_HIDDEN_STATION  when set, the name of a window station without a
//                                display that the process runs in, as a service does
//   LAUNCHER_PROBE_NO_STANDARD_HANDLES  when set, the process gets no standard
//                                handles, as a windowed program started from Explorer
#include "platform/win32_handles.h"

#include <cstdio>
#include <string>
#include <windows.h>

namespace {

std::wstring variable(const wchar_t* name) {
    DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0) {
        return std::wstring();
    }
    std::wstring value(needed, L'\0');
    DWORD length = GetEnvironmentVariableW(name, value.data(), needed);
    value.resize(length);
    return value;
}

} // namespace

int main() {
    std::wstring commandLine = variable(L"LAUNCHER_PROBE_COMMAND_LINE");
    std::wstring resultFile = variable(L"LAUNCHER_PROBE_RESULT");
    if (commandLine.empty() || resultFile.empty()) {
        fputs(
            "exit_code_probe: LAUNCHER_PROBE_COMMAND_LINE and LAUNCHER_PROBE_RESULT must be set\n",
            stderr);
        return 2;
    }
    // The probe's own variables are not the child's business.
    SetEnvironmentVariableW(L"LAUNCHER_PROBE_COMMAND_LINE", nullptr);
    SetEnvironmentVariableW(L"LAUNCHER_PROBE_RESULT", nullptr);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::wstring station = variable(L"LAUNCHER_PROBE_HIDDEN_STATION");
    std::wstring desktop;
    if (!station.empty()) {
        SetEnvironmentVariableW(L"LAUNCHER_PROBE_HIDDEN_STATION", nullptr);
        HWINSTA created = CreateWindowStationW(station.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
        if (created == nullptr || !SetProcessWindowStation(created) ||
            CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr) == nullptr) {
            fprintf(stderr, "exit_code_probe: no window station %ls: %lu\n", station.c_str(),
                    GetLastError());
            return 6;
        }
        desktop = station + L"\\Default";
        startup.lpDesktop = desktop.data();
    }
    BOOL inherit = TRUE;
    if (!variable(L"LAUNCHER_PROBE_NO_STANDARD_HANDLES").empty()) {
        SetEnvironmentVariableW(L"LAUNCHER_PROBE_NO_STANDARD_HANDLES", nullptr);
        startup.dwFlags |= STARTF_USESTDHANDLES; // and all three left null
        inherit = FALSE;
    }
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, inherit, 0, nullptr, nullptr,
                        &startup, &started)) {
        fprintf(stderr, "exit_code_probe: CreateProcessW failed with %lu\n", GetLastError());
        return 3;
    }
    launcher::platform::UniqueKernelHandle process(started.hProcess);
    launcher::platform::UniqueKernelHandle thread(started.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    if (!GetExitCodeProcess(process.get(), &code)) {
        return 4;
    }
    FILE* out = _wfopen(resultFile.c_str(), L"w");
    if (out == nullptr) {
        return 5;
    }
    fprintf(out, "%lu\n", code);
    fclose(out);
    return 0;
}
