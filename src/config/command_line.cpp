// The command-line splitting rule, shared with the "Cmd" setting.
#include "config/command_line.h"

#include "platform/process.h"

namespace launcher {

void splitArguments(std::u16string_view text, WideStringList& tokens) {
    constexpr auto npos = std::u16string_view::npos;
    size_t position = 0;
    while (position < text.size()) {
        if (text[position] == u'"') {
            size_t start = position + 1;
            if (start == text.size()) {
                tokens.emplace_back();
                return;
            }
            size_t closing = text.find(u'"', start);
            if (closing == npos) {
                tokens.emplace_back(text.substr(start));
                return;
            }
            tokens.emplace_back(text.substr(start, closing - start));
            position = closing + 1;
        } else {
            size_t blank = text.find(u' ', position);
            if (blank == npos) {
                tokens.emplace_back(text.substr(position));
                return;
            }
            tokens.emplace_back(text.substr(position, blank - position));
            position = blank;
        }
        while (position < text.size() && text[position] == u' ') {
            ++position;
        }
    }
}

void appendCommandLineArguments(const WideString& commandLine, WideStringList& arguments) {
    WideString trimmed(commandLine);
    trimmed.trim();
    WideStringList tokens;
    splitArguments(trimmed, tokens);
    if (!tokens.empty()) {
        arguments.insert(arguments.end(), tokens.begin() + 1, tokens.end());
    }
}

void buildArgumentList(WideStringList& arguments) {
    if (std::optional<WideString> commandLine = platform::commandLineText()) {
        appendCommandLineArguments(*commandLine, arguments);
        return;
    }
    // The system hands the arguments over already split: take them as they are.
    WideStringList split = platform::systemSplitArguments();
    arguments.insert(arguments.end(), split.begin(), split.end());
}

} // namespace launcher
