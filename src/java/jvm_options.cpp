// Option assembly: the class path, the VM parameters, the redirection names and "Cmd".
#include "java/jvm_options.h"

#include "config/command_line.h"
#include "config/ini_paths.h"
#include "config/ini_store.h"
#include "java/memory_options.h"
#include "messages/error_output.h"
#include "messages/message_catalogue.h"
#include "messages/message_ids.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/text.h"

namespace launcher {

namespace {

constexpr char16_t kApplicationSection[] = u"Application";
constexpr char16_t kClassPathSection[] = u"Class Path";
constexpr char16_t kClassPathKey[] = u"Class Path";
constexpr char16_t kVmParametersKey[] = u"Virtual Machine Parameters";
constexpr char16_t kClassPathOption[] = u"-Djava.class.path=";

constexpr auto npos = std::u16string_view::npos;

bool isSearchEntry(std::u16string_view entry) {
    return entry.find(u'*') != npos || platform::isRelativeEntry(entry);
}

// The end of the item that starts at `start`: the first blank outside double
// quotes. An unclosed quote protects nothing.
size_t vmParameterEnd(std::u16string_view text, size_t start) {
    size_t blank = text.find(u' ', start);
    size_t quote = text.find(u'"', start);
    while (blank != npos && quote != npos && quote < blank) {
        size_t closing = text.find(u'"', quote + 1);
        if (closing == npos) {
            break;
        }
        if (closing + 1 < text.size() && text[closing + 1] == u'"') {
            ++closing;
        }
        blank = text.find(u' ', closing + 1);
        quote = text.find(u'"', closing + 1);
    }
    return blank == npos ? text.size() : blank;
}

// Replaces each quoted section by its content; a doubled closing quote leaves one
// literal quote inside the section.
void unquote(WideString& item) {
    int32_t position = 0;
    for (;;) {
        int32_t open = item.find(u'"', position);
        if (open == WideString::kNotFound) {
            return;
        }
        int32_t close = item.find(u'"', open + 1);
        if (close == WideString::kNotFound) {
            return;
        }
        bool literalQuote = close + 1 < item.length() && item.at(close + 1) == u'"';
        WideString content = item.mid(open + 1, close - open - 1);
        if (literalQuote) {
            content.append(u'"');
        }
        WideString rebuilt = item.left(open);
        rebuilt.append(content).append(item.mid(close + (literalQuote ? 2 : 1)));
        item = rebuilt;
        position = open + content.length();
    }
}

WideString readExpanded(IniStore& store, std::u16string_view key) {
    WideString value = store.getValue(kApplicationSection, key);
    if (!value.empty()) {
        platform::expandEnvironmentText(value);
    }
    return value;
}

WideString folderOf(const WideString& path) {
    int32_t cut = path.findLast(platform::kPathSeparator);
    return cut == WideString::kNotFound ? WideString() : path.left(cut);
}

} // namespace

void expandClassPathEntry(const WideString& entry, const WideString& launcherFolder,
                          WideString& classPath) {
    WideString pattern = platform::isRelativeEntry(entry) ? launcherFolder + entry : entry;
    platform::useNativeSeparators(pattern);
    WideString folderPart = pattern.left(pattern.findLast(platform::kPathSeparator) + 1);
    platform::searchDirectory(pattern, [&](const WideString& name) {
        classPath.append(folderPart).append(name).append(platform::kPathListSeparator);
    });
}

WideString composeClassPath(IniStore& store, const WideString& executable) {
    WideString launcherFolder = folderOf(executable);
    WideStringList entries;
    splitList(store.getValue(kClassPathSection, kClassPathKey), u";", entries);
    WideString classPath;
    for (WideString& entry : entries) {
        platform::expandEnvironmentText(entry);
        if (isSearchEntry(entry)) {
            expandClassPathEntry(entry, launcherFolder, classPath);
        } else {
            platform::useNativeSeparators(entry);
            classPath.append(entry).append(platform::kPathListSeparator);
        }
    }
    if (store.getValue(kApplicationSection, u"Embedded Jar").equalsIgnoreAsciiCase(u"Yes")) {
        WideString first = executable;
        first.append(platform::kPathListSeparator);
        classPath.prepend(first);
    }
    return classPath;
}

void splitVmParameters(std::u16string_view text, WideStringList& target, VmParameterState& state) {
    // Blanks before the first item are skipped like those between items: an empty
    // option would make the VM refuse to start.
    size_t start = text.find_first_not_of(u' ');
    while (start != npos) {
        size_t end = vmParameterEnd(text, start);
        processVmParameter(WideString(text.substr(start, end - start)), target, state);
        start = text.find_first_not_of(u' ', end);
    }
}

void processVmParameter(WideString item, WideStringList& target, VmParameterState& state) {
    unquote(item);
    if (isRelativeMemoryOption(item)) {
        rewriteMemoryOption(item, readMemoryFigures());
    }
    if (item.startsWith(u"-Xss")) {
        state.applicationThreadStackSize = static_cast<size_t>(parseStackSize(item.mid(4)));
    }
    target.push_back(std::move(item));
}

bool buildJvmOptions(JvmOptionAssembly& assembly) {
    WideString iniPath;
    if (!mainIniPath(iniPath)) {
        return false;
    }
    LayeredIniStore store(iniPath);
    WideString executable;
    executablePath(executable);
    WideString classPath = composeClassPath(store, executable);
    if (classPath.empty()) {
        reportError(MessageCatalogue::load(msg::kNoClassPath));
        return false;
    }

    WideStringList items = {WideString(kClassPathOption).append(classPath)};
    VmParameterState state{assembly.applicationThreadStackSize};
    splitVmParameters(store.getValue(kJreSection, kVmParametersKey), items, state);
    assembly.applicationThreadStackSize = state.applicationThreadStackSize;
    for (WideString& item : items) {
        platform::expandEnvironmentText(item);
        assembly.options.push_back(platform::wideToNarrow(item));
    }

    StreamRedirection& redirection = assembly.redirection;
    redirection.outputFile = readExpanded(store, u"Output File");
    redirection.outputAppend = store.getValue(kApplicationSection, u"Output Append") == u"yes";
    redirection.errorFile = readExpanded(store, u"Error File");
    redirection.errorAppend = store.getValue(kApplicationSection, u"Error Append") == u"yes";

    WideString extraArguments = readExpanded(store, u"Cmd");
    WideStringList tokens;
    splitArguments(extraArguments, tokens);
    for (WideString& token : tokens) {
        if (!token.empty()) {
            assembly.extraArguments.push_back(std::move(token));
        }
    }
    return true;
}

} // namespace launcher
