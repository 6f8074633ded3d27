// The one place that asks the system where the executable is.
#include "config/run_context.h"

#include "config/ini_paths.h"
#include "messages/error_output.h"
#include "messages/message_catalogue.h"
#include "messages/message_ids.h"
#include "platform/module_path.h"
#include "platform/path.h"
#include "platform/trace.h"

namespace launcher {

bool findRunContext(RunContext& context) {
    platform::SystemError error;
    if (!platform::queryExecutablePath(context.executable, error)) {
        platform::TraceLine("stop").add("reason", "no-executable-path").add(error);
        reportMessage(msg::kWindowsException,
                      {MessageCatalogue::load(msg::kModulePathFailed), error.code});
        return false;
    }
    context.launcherFolder = platform::folderOf(context.executable);
    context.programName = platform::withoutExtension(platform::fileNameOf(context.executable));
    if (!iniPathOf(context.executable, context.mainIni)) {
        context.mainIni.clear();
    }
    return true;
}

} // namespace launcher
