// The service front end: dispatcher, control handler and the VM's end.
#include "service/service_host.h"

namespace launcher {

namespace {
// ERROR_FAILED_SERVICE_CONTROLLER_CONNECT: what a start outside the service
// control manager reports.
constexpr int kNoServiceController = 1063;
} // namespace

// The service dispatcher is not connected yet.
int ServiceHost::runDispatcher(ServiceRun) {
    return kNoServiceController;
}

void ServiceHost::onVmExit(int32_t) {}

void ServiceHost::onVmAbort() {}

} // namespace launcher
