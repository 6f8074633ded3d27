// Linux: the JRE-not-found question asked on the terminal, when there is one.
#include "ui/runtime_folder.h"

#include "messages/error_output.h"
#include "platform/text.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace launcher {

namespace {

// One line of standard input without its line feed; false at the end of input
// (or a read error) with nothing read.
bool readTerminalLine(WideString& line) {
    std::string bytes;
    for (;;) {
        int c = std::fgetc(stdin);
        if (c == EOF) {
            if (bytes.empty()) {
                return false;
            }
            break;
        }
        if (c == '\n') {
            break;
        }
        bytes.push_back(static_cast<char>(c));
    }
    // Folder names are bytes: what is not UTF-8 survives the round trip.
    line = platform::fileNameToWide(bytes);
    return true;
}

void writeTerminal(const WideString& text) {
    std::string narrow = platform::wideToNarrow(text.view());
    std::fwrite(narrow.data(), 1, narrow.size(), stdout);
    std::fflush(stdout);
}

} // namespace

// Only a person at a terminal can answer; a launch from a script or a pipe must
// end at once, as it always did.
std::optional<ChosenRuntime> chooseRuntimeFolder(const WideString& message, RuntimeWanted wanted) {
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        reportError(message);
        return std::nullopt;
    }
    return promptForRuntimeFolder(message, wanted, readTerminalLine, writeTerminal);
}

} // namespace launcher
