// Linux arguments: argv as the system split it.
#include "config/command_line.h"

#include "platform/process.h"
#include "platform/text.h"

namespace launcher {

// The system hands the arguments over already split: take them as they are.
void buildArgumentList(WideStringList& arguments) {
    const std::vector<std::string>& argv = platform::processArgumentVector();
    for (size_t i = 1; i < argv.size(); ++i) {
        arguments.push_back(platform::narrowToWide(argv[i]));
    }
}

} // namespace launcher
