// Asks Wine's service control manager what the end-to-end tests cannot read from
// sc's text: the exact status fields, a control that does not wait, a bounded wait for
// a state, a start with parameters; and keeps the Wine session up ("hold").
//   service_probe query NAME | control NAME CODE | wait NAME STATE SECONDS
//   service_probe start NAME [PARAMETERS...] | hold
#include "platform/win32_handles.h"

#include <cstdio>
#include <cwchar>
#include <vector>
#include <windows.h>
#include <winsvc.h>

namespace {

struct ServiceHandleTraits {
    using Type = SC_HANDLE;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type handle) noexcept { CloseServiceHandle(handle); }
};
using UniqueServiceHandle = launcher::platform::UniqueHandle<ServiceHandleTraits>;

void print(const SERVICE_STATUS& status, DWORD processId) {
    printf("state=%lu win32=%lu specific=%lu controls=%lu pid=%lu\n", status.dwCurrentState,
           status.dwWin32ExitCode, status.dwServiceSpecificExitCode, status.dwControlsAccepted,
           processId);
    fflush(stdout);
}

bool query(SC_HANDLE service, SERVICE_STATUS& status, DWORD& processId) {
    SERVICE_STATUS_PROCESS full{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&full),
                              sizeof full, &needed)) {
        return false;
    }
    status = SERVICE_STATUS{full.dwServiceType,
                            full.dwCurrentState,
                            full.dwControlsAccepted,
                            full.dwWin32ExitCode,
                            full.dwServiceSpecificExitCode,
                            full.dwCheckPoint,
                            full.dwWaitHint};
    processId = full.dwProcessId;
    return true;
}

int fail(const char* what) {
    fprintf(stderr, "service_probe: %s failed with %lu\n", what, GetLastError());
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && wcscmp(argv[1], L"hold") == 0) {
        Sleep(INFINITE);
        return 0;
    }
    if (argc < 3) {
        fputs("usage: service_probe query|control|wait|start NAME ... | hold\n", stderr);
        return 2;
    }
    UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        return fail("OpenSCManagerW");
    }
    UniqueServiceHandle service(OpenServiceW(manager.get(), argv[2], SERVICE_ALL_ACCESS));
    if (!service) {
        return fail("OpenServiceW");
    }
    const wchar_t* command = argv[1];
    SERVICE_STATUS status{};
    DWORD processId = 0;
    if (wcscmp(command, L"query") == 0) {
        if (!query(service.get(), status, processId)) {
            return fail("QueryServiceStatusEx");
        }
        print(status, processId);
        return 0;
    }
    if (wcscmp(command, L"control") == 0 && argc == 4) {
        if (!ControlService(service.get(), wcstoul(argv[3], nullptr, 10), &status)) {
            return fail("ControlService");
        }
        print(status, 0);
        return 0;
    }
    if (wcscmp(command, L"start") == 0) {
        std::vector<const wchar_t*> parameters(argv + 3, argv + argc);
        if (!StartServiceW(service.get(), static_cast<DWORD>(parameters.size()),
                           parameters.empty() ? nullptr : parameters.data())) {
            return fail("StartServiceW");
        }
        return 0;
    }
    if (wcscmp(command, L"wait") == 0 && argc == 5) {
        DWORD wanted = wcstoul(argv[3], nullptr, 10);
        ULONGLONG deadline = GetTickCount64() + 1000ULL * wcstoul(argv[4], nullptr, 10);
        for (;;) {
            if (!query(service.get(), status, processId)) {
                return fail("QueryServiceStatusEx");
            }
            if (status.dwCurrentState == wanted || GetTickCount64() >= deadline) {
                print(status, processId);
                return status.dwCurrentState == wanted ? 0 : 1;
            }
            Sleep(20); // the manager offers no change notice Wine implements
        }
    }
    fputs("service_probe: unknown command\n", stderr);
    return 2;
}
