#include "core/command_line.h"

#include "platform/process.h"

namespace launcher {

// The system hands the arguments over already split: take them as they are.
void buildArgumentList(WideStringList& arguments) {
    const std::vector<std::string>& argv = platform::processArgumentVector();
    for (size_t i = 1; i < argv.size(); ++i) {
        arguments.push_back(WideString::fromNarrow(argv[i]));
    }
}

} // namespace launcher
