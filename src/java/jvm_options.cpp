// Option assembly: the class path, the VM parameters, the redirection names and "Cmd".
#include "java/jvm_options.h"

#include "config/command_line.h"
#include "config/ini_paths.h"
#include "config/settings_table.h"
#include "java/memory_options.h"
#include "messages/error_output.h"
#include "messages/message_catalogue.h"
#include "messages/message_ids.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "platform/trace.h"

namespace launcher {

namespace {

constexpr char16_t kClassPathOption[] = u"-Djava.class.path=";

constexpr auto npos = std::u16string_view::npos;

bool isSearchEntry(std::u16string_view entry) {
    return entry.find(u'*') != npos || isRelativeEntry(entry);
}

// Finds the first unit at or after a position in a text read from left to right.
// Positions asked for never go back, so a found position (or the knowledge that
// none is left) answers every later question up to it: the whole text is searched
// once, however many items it holds.
class ForwardFinder {
  public:
    ForwardFinder(std::u16string_view text, char16_t unit) : text_(text), unit_(unit) {}
    size_t from(size_t position) {
        if (!searched_ || (found_ != npos && found_ < position)) {
            found_ = text_.find(unit_, position);
            searched_ = true;
        }
        return found_;
    }

  private:
    std::u16string_view text_;
    char16_t unit_;
    size_t found_ = npos;
    bool searched_ = false;
};

// The end of the item that starts at `start`: the first blank outside double
// quotes. An unclosed quote protects nothing.
size_t vmParameterEnd(std::u16string_view text, size_t start, ForwardFinder& blanks,
                      ForwardFinder& quotes) {
    size_t blank = blanks.from(start);
    size_t quote = quotes.from(start);
    while (blank != npos && quote != npos && quote < blank) {
        size_t closing = quotes.from(quote + 1);
        if (closing == npos) {
            break;
        }
        if (closing + 1 < text.size() && text[closing + 1] == u'"') {
            ++closing;
        }
        blank = blanks.from(closing + 1);
        quote = quotes.from(closing + 1);
    }
    return blank == npos ? text.size() : blank;
}

// Replaces each quoted section by its content; a doubled closing quote leaves one
// literal quote inside the section.
void unquote(WideString& item) {
    std::u16string_view text = item.view();
    size_t open = text.find(u'"');
    if (open == npos) {
        return;
    }
    std::u16string result;
    result.reserve(text.size());
    size_t position = 0;
    while (open != npos) {
        size_t close = text.find(u'"', open + 1);
        if (close == npos) {
            break; // an opening quote without a closing one stays as written
        }
        bool literalQuote = close + 1 < text.size() && text[close + 1] == u'"';
        result.append(text.substr(position, open - position));
        result.append(text.substr(open + 1, close - open - 1));
        if (literalQuote) {
            result.push_back(u'"');
        }
        position = close + (literalQuote ? 2 : 1);
        open = text.find(u'"', position);
    }
    result.append(text.substr(position));
    item = WideString(result);
}

WideString expanded(WideString value) {
    if (!value.empty()) {
        platform::expandEnvironmentText(value);
    }
    return value;
}

} // namespace

void expandClassPathEntry(const WideString& entry, const WideString& launcherFolder,
                          WideString& classPath) {
    WideString pattern = isRelativeEntry(entry) ? launcherFolder + entry : entry;
    useNativeSeparators(pattern);
    WideString folderPart = platform::folderOf(pattern);
    size_t matches = 0;
    platform::searchDirectory(pattern, [&](const WideString& name) {
        classPath.append(folderPart).append(name).append(platform::kPathListSeparator);
        ++matches;
        if (platform::traceEnabled()) {
            platform::TraceLine("class-path-match").add("path", (folderPart + name).view());
        }
    });
    platform::TraceLine("class-path-search")
        .add("entry", entry.view())
        .add("pattern", pattern.view())
        .add("matches", matches);
}

WideString composeClassPath(const JavaOptionSettings& settings, const RunContext& context) {
    // Relative entries begin with their separator: \lib\*.jar.
    WideString launcherFolder = platform::parentPath(context.launcherFolder);
    WideStringList entries;
    splitList(settings.classPath, u";", entries);
    WideString classPath;
    for (WideString& entry : entries) {
        platform::expandEnvironmentText(entry);
        if (isSearchEntry(entry)) {
            expandClassPathEntry(entry, launcherFolder, classPath);
        } else {
            useNativeSeparators(entry);
            platform::TraceLine("class-path-entry").add("path", entry.view());
            classPath.append(entry).append(platform::kPathListSeparator);
        }
    }
    if (settings.embeddedJar) {
        WideString first = context.executable;
        first.append(platform::kPathListSeparator);
        classPath.prepend(first);
    }
    return classPath;
}

void splitVmParameters(std::u16string_view text, WideStringList& target, VmParameterState& state) {
    // Blanks before the first item are skipped like those between items: an empty
    // option would make the VM refuse to start.
    ForwardFinder blanks(text, u' ');
    ForwardFinder quotes(text, u'"');
    size_t start = text.find_first_not_of(u' ');
    while (start != npos) {
        size_t end = vmParameterEnd(text, start, blanks, quotes);
        processVmParameter(WideString(text.substr(start, end - start)), target, state);
        start = text.find_first_not_of(u' ', end);
    }
}

void processVmParameter(WideString item, WideStringList& target, VmParameterState& state) {
    unquote(item);
    if (isRelativeMemoryOption(item)) {
        rewriteMemoryOption(item, platform::readMemoryFigures());
    }
    // Expanded before the stack size is read, so that "-Xss%STACK%" sizes the
    // application thread as it sizes the VM's own threads.
    platform::expandEnvironmentText(item);
    if (item.startsWith(u"-Xss")) {
        state.applicationThreadStackSize = static_cast<size_t>(parseStackSize(item.mid(4)));
    }
    target.push_back(std::move(item));
}

bool buildJvmOptions(const JavaOptionSettings& settings, const RunContext& context,
                     JvmOptionAssembly& assembly) {
    WideString classPath = composeClassPath(settings, context);
    if (classPath.empty()) {
        platform::TraceLine("stop").add("reason", "empty-class-path");
        reportError(MessageCatalogue::load(msg::kNoClassPath));
        return false;
    }

    // The VM reads an empty last element as the current directory: the option
    // leaves out the separator that closes the composed class path.
    if (classPath.endsWith(platform::kPathListSeparator)) {
        classPath = classPath.left(classPath.length() - 1);
    }
    WideString classPathOption = WideString(kClassPathOption).append(classPath);
    platform::expandEnvironmentText(classPathOption);
    WideStringList items = {std::move(classPathOption)};
    VmParameterState state{assembly.applicationThreadStackSize};
    splitVmParameters(settings.vmParameters, items, state);
    assembly.applicationThreadStackSize = state.applicationThreadStackSize;
    assembly.options.insert(assembly.options.end(), items.begin(), items.end());

    StreamRedirection& redirection = assembly.redirection;
    redirection.outputFile = expanded(settings.outputFile);
    redirection.outputAppend = settings.outputAppend;
    redirection.errorFile = expanded(settings.errorFile);
    redirection.errorAppend = settings.errorAppend;

    WideString extraArguments = expanded(settings.cmd);
    WideStringList tokens;
    splitArguments(extraArguments, tokens);
    for (WideString& token : tokens) {
        if (!token.empty()) {
            platform::TraceLine("cmd-argument").add("value", token.view());
            assembly.extraArguments.push_back(std::move(token));
        }
    }
    return true;
}

} // namespace launcher
