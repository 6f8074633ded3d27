// The service front end on Windows: the dispatcher, the service main function,
// the control handler and the status reports to the service control manager.
#include "service/service_host.h"

#include "messages/error_output.h"
#include "platform/win32_handles.h"

#include <mutex>
#include <winsvc.h>

namespace launcher {

namespace {

constexpr DWORD kStopWaitHint = 3000;
constexpr int kLaunchFailed = -1;

// The dispatcher's callbacks carry no context: they reach the one host through
// this pointer, set before the dispatcher starts.
ServiceHost* serviceHost = nullptr;

// The record is written by the service main thread, the control handler and the
// VM's exit hook; each sets its fields and reports the whole record under the lock.
std::mutex statusLock;
SERVICE_STATUS status{};
SERVICE_STATUS_HANDLE statusHandle = nullptr;

bool reportStatus() {
    return SetServiceStatus(statusHandle, &status) != FALSE;
}

void WINAPI controlHandler(DWORD control) {
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        bool reported = false;
        {
            std::lock_guard<std::mutex> lock(statusLock);
            status.dwWin32ExitCode = NO_ERROR;
            status.dwCheckPoint = 0;
            status.dwCurrentState = SERVICE_STOP_PENDING;
            status.dwWaitHint = kStopWaitHint;
            reported = reportStatus();
        }
        if (reported) {
            serviceHost->requestStop();
        }
        return;
    }
    std::lock_guard<std::mutex> lock(statusLock);
    reportStatus();
}

void WINAPI serviceMain(DWORD count, LPWSTR* parameters) {
    {
        std::lock_guard<std::mutex> lock(statusLock);
        statusHandle = RegisterServiceCtrlHandlerW(L"", controlHandler);
        if (statusHandle == nullptr) {
            return;
        }
        // No start-pending state: the service counts as running before the VM exists.
        status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        status.dwCurrentState = SERVICE_RUNNING;
        status.dwControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
        status.dwWin32ExitCode = NO_ERROR;
        status.dwServiceSpecificExitCode = 0;
        status.dwCheckPoint = 0;
        status.dwWaitHint = 0;
        if (!reportStatus()) {
            return;
        }
    }
    // An error that escapes the launch still ends in a stopped service with the
    // failure reported, not in std::terminate.
    int result = kLaunchFailed;
    reportingEscapedErrors([count, parameters, &result] {
        WideStringList startParameters;
        for (DWORD i = 0; i < count; ++i) {
            startParameters.emplace_back(reinterpret_cast<const char16_t*>(parameters[i]));
        }
        const ServiceLaunch& launch = serviceHost->launch();
        result = launch.run(serviceArguments(startParameters, launch.omitServiceName));
    });
    serviceHost->launchEnded();

    std::lock_guard<std::mutex> lock(statusLock);
    // A launch that failed must not look like a clean stop: the manager's
    // recovery actions act only on a reported failure.
    if (result != 0) {
        status.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
        status.dwServiceSpecificExitCode = static_cast<DWORD>(result);
    }
    status.dwCurrentState = SERVICE_STOPPED;
    reportStatus();
}

} // namespace

int ServiceHost::runDispatcher(ServiceLaunch launch) {
    launch_ = std::move(launch);
    serviceHost = this;
    wchar_t anyName[] = L"";
    SERVICE_TABLE_ENTRYW table[] = {{anyName, serviceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherW(table)) {
        return static_cast<int>(GetLastError());
    }
    return 0;
}

void ServiceHost::mainCalled(JavaVM* vm) {
    vm_ = vm;
    stops_.mainCalled();
}

// The VM ends the process right after this returns: a clean exit is the
// service's stop, any other code is left to the manager to see as a failure.
void ServiceHost::onVmExit(int32_t code) {
    if (code != 0) {
        return;
    }
    std::lock_guard<std::mutex> lock(statusLock);
    status.dwCurrentState = SERVICE_STOPPED;
    reportStatus();
}

} // namespace launcher
