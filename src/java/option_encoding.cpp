// The form each VM option takes so that the VM reads what was composed.
#include "java/option_encoding.h"

#include "jre/jvm_layout.h"
#include "messages/error_output.h"
#include "messages/message_ids.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/text.h"

#include <algorithm>
#include <array>
#include <span>

namespace launcher {

namespace {

// Options whose value is a list of paths, and those whose value is one path.
constexpr std::array<std::u16string_view, 3> kPathListOptions = {
    u"-Djava.class.path=", u"-Djava.library.path=", u"-Xbootclasspath/a:"};
constexpr std::array<std::u16string_view, 5> kPathOptions = {
    u"-XX:SharedArchiveFile=", u"-XX:ArchiveClassesAtExit=", u"-XX:AOTCache=",
    u"-XX:AOTConfiguration=", u"-XX:AOTCacheOutput="};

// The namespaces of the VM and its class library. Their properties may be read
// while the VM starts (the class path, the encodings, the home and user
// folders, the system class loader) or by classes it loads before main; set
// later they would be seen too late, or not at all. Everything else belongs to
// the application, which reads it after its main class is loaded.
constexpr std::array<std::u16string_view, 17> kStartupNamespaces = {
    u"java.",   u"javax.", u"jdk.",     u"sun.",  u"com.sun.", u"os.",
    u"user.",   u"file.",  u"line.",    u"path.", u"native.",  u"stdout.",
    u"stderr.", u"awt.",   u"com.ibm.", u"ibm.",  u"openj9."};

std::optional<std::u16string_view> prefixOf(std::u16string_view option,
                                            std::span<const std::u16string_view> prefixes) {
    auto found = std::find_if(prefixes.begin(), prefixes.end(),
                              [option](std::u16string_view p) { return option.starts_with(p); });
    return found == prefixes.end() ? std::nullopt : std::optional(*found);
}

// An element that names nothing and cannot be written is left out: the VM
// would find nothing there either, and an inherited search path with a stale
// folder in it should not stop every start.
std::optional<WideString> writablePathList(std::u16string_view list, const NarrowForm& narrow) {
    WideString result;
    bool first = true;
    size_t start = 0;
    for (;;) {
        size_t end = list.find(platform::kPathListSeparator, start);
        WideString element(list.substr(start, end - start));
        std::optional<WideString> written =
            element.empty() ? element : writablePath(element, narrow);
        if (!written && narrow.exists(element)) {
            return std::nullopt;
        }
        if (written) {
            if (!first) {
                result.append(platform::kPathListSeparator);
            }
            result.append(*written);
            first = false;
        }
        if (end == std::u16string_view::npos) {
            return result;
        }
        start = end + 1;
    }
}

bool isApplicationProperty(std::u16string_view name) {
    return !name.empty() && !prefixOf(name, kStartupNamespaces);
}

std::optional<OptionForm> shortenedPathOption(const WideString& option, const NarrowForm& narrow) {
    std::u16string_view text = option.view();
    std::optional<WideString> value;
    std::optional<std::u16string_view> prefix = prefixOf(text, kPathListOptions);
    if (prefix) {
        value = writablePathList(text.substr(prefix->size()), narrow);
    } else if ((prefix = prefixOf(text, kPathOptions))) {
        value = writablePath(WideString(text.substr(prefix->size())), narrow);
    }
    if (!value) {
        return std::nullopt;
    }
    return OptionForm{OptionRoute::Shortened, WideString(*prefix).append(*value)};
}

SystemProperty propertyOf(const WideString& option) {
    std::u16string_view text = option.view().substr(2);
    size_t equals = text.find(u'=');
    if (equals == std::u16string_view::npos) {
        return {WideString(text), WideString()};
    }
    return {WideString(text.substr(0, equals)), WideString(text.substr(equals + 1))};
}

} // namespace

NarrowForm NarrowForm::ofSystem() {
    return {platform::narrowKeeps, platform::shortPathName, platform::directoryEntryExists};
}

std::optional<WideString> writablePath(const WideString& path, const NarrowForm& narrow) {
    if (narrow.keeps(path.view())) {
        return path;
    }
    if (std::optional<WideString> shortForm = narrow.shortPath(path);
        shortForm && narrow.keeps(shortForm->view())) {
        return shortForm;
    }
    int32_t separator = path.findLast(platform::kPathSeparator);
    if (separator == WideString::kNotFound) {
        return std::nullopt;
    }
    WideString name = path.mid(separator + 1);
    if (!narrow.keeps(name.view())) {
        return std::nullopt;
    }
    std::optional<WideString> folder = writablePath(path.left(separator), narrow);
    if (!folder) {
        return std::nullopt;
    }
    return folder->append(platform::kPathSeparator).append(name);
}

std::optional<RuntimeForm> chooseRuntimeForm(const WideString& jvmLibraryPath, int featureVersion,
                                             const NarrowForm& narrow) {
    constexpr int kFirstWithShortHomes = 25;
    if (narrow.keeps(jvmLibraryPath.view())) {
        return RuntimeForm{jvmLibraryPath, WideString()};
    }
    if (featureVersion < kFirstWithShortHomes) {
        return std::nullopt;
    }
    std::optional<WideString> library = writablePath(jvmLibraryPath, narrow);
    std::optional<WideString> home = writablePath(runtimeHomeOf(jvmLibraryPath), narrow);
    if (!library || !home) {
        return std::nullopt;
    }
    return RuntimeForm{*library, *home};
}

OptionForm chooseOptionForm(const WideString& option, const NarrowForm& narrow) {
    if (narrow.keeps(option.view())) {
        return {OptionRoute::Written, option};
    }
    if (std::optional<OptionForm> shortened = shortenedPathOption(option, narrow)) {
        return *shortened;
    }
    if (option.startsWith(u"-D") && isApplicationProperty(propertyOf(option).name.view())) {
        return {OptionRoute::SetAfterCreation, option};
    }
    return {OptionRoute::Refused, option};
}

WideString optionName(const WideString& option) {
    if (option.startsWith(u"-D")) {
        return WideString(u"-D").append(propertyOf(option).name);
    }
    std::u16string_view text = option.view();
    std::optional<std::u16string_view> prefix = prefixOf(text, kPathListOptions);
    if (!prefix) {
        prefix = prefixOf(text, kPathOptions);
    }
    return prefix ? WideString(prefix->substr(0, prefix->size() - 1)) : option;
}

bool encodeJvmOptions(const WideStringList& options, const NarrowForm& narrow,
                      EncodedJvmOptions& encoded) {
    EncodedJvmOptions result;
    for (const WideString& option : options) {
        OptionForm form = chooseOptionForm(option, narrow);
        switch (form.route) {
        case OptionRoute::Written:
        case OptionRoute::Shortened:
            result.options.push_back(platform::wideToNarrow(form.text.view()));
            break;
        case OptionRoute::SetAfterCreation:
            result.laterProperties.push_back(propertyOf(option));
            break;
        case OptionRoute::Refused:
            reportMessage(msg::kOptionNotWritable, {optionName(option)});
            return false;
        }
    }
    encoded = std::move(result);
    return true;
}

} // namespace launcher
