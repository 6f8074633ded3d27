// The registry as the listing of installed runtimes: the five roots of JDK 8 and
// older, and the keys current installers write, in either registry view.
#include "jre/runtime_registry.h"

#include "platform/trace.h"
#include "platform/win32_handles.h"

namespace launcher {

namespace {

using platform::UniqueRegistryKey;
using platform::wide;

REGSAM accessFor(RegistryView view) {
    return view == RegistryView::Bits32 ? KEY_READ | KEY_WOW64_32KEY : KEY_READ;
}

bool openKey(HKEY parent, std::u16string_view path, REGSAM access, UniqueRegistryKey& key) {
    WideString terminated(path);
    return RegOpenKeyExW(parent, wide(terminated.c_str()), 0, access, key.put()) == ERROR_SUCCESS;
}

// Subkey names are at most 255 characters.
WideStringList subkeyNames(HKEY key) {
    WideStringList names;
    for (DWORD index = 0;; ++index) {
        char16_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, wide(name), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.push_back(std::u16string_view(name, length));
    }
    return names;
}

// How a value must look to name a folder.
enum class ValueRule {
    // Today's registrations: a string type, terminated within its data. Anything
    // else (a number, as Adoptium's "JavaHome" feature flag is) names no folder.
    TerminatedString,
    // The five classic roots: whatever the type, the text up to the first NUL
    // or the end of the data, as those roots have always been read.
    TextUpToNul,
};

bool isStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// A folder path is a value of sensible length; an empty one, or one of megabytes,
// names no folder and is skipped.
bool readFolderValue(HKEY key, const char16_t* name, ValueRule rule, WideString& folder) {
    constexpr DWORD kLongestBytes = 32767 * sizeof(char16_t);
    const bool stringsOnly = rule == ValueRule::TerminatedString;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, wide(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (stringsOnly && !isStringType(type)) || size < sizeof(char16_t) || size > kLongestBytes) {
        return false;
    }
    std::u16string data(size / sizeof(char16_t) + 1, u'\0');
    DWORD read = size;
    if (RegQueryValueExW(key, wide(name), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &read) != ERROR_SUCCESS ||
        (stringsOnly && !isStringType(type)) || read > size) {
        return false;
    }
    data.resize(read / sizeof(char16_t));
    size_t end = data.find(u'\0');
    if (end == 0 || (stringsOnly && end == std::u16string::npos)) {
        return false;
    }
    folder = std::u16string_view(data).substr(0, end);
    return true;
}

// A version key whose value names no folder is passed over; the trace says where.
bool readRegisteredFolder(HKEY key, std::u16string_view keyPath, const char16_t* name,
                          WideString& folder, ValueRule rule = ValueRule::TerminatedString) {
    if (readFolderValue(key, name, rule, folder)) {
        return true;
    }
    platform::TraceLine("registry-key")
        .add("key", keyPath)
        .add("value", std::u16string_view(name))
        .add("result", "no-folder");
    return false;
}

// How a current installer lays out its key.
enum class Layout {
    VersionJavaHome,       // version\JavaHome
    VersionVmPath,         // version\<vm>\MSI\Path
    NamedInstallationPath, // <name>\InstallationPath, the kind in the name
};

struct CurrentKey {
    std::u16string_view path; // below SOFTWARE
    Layout layout;
    RuntimeKind kind; // for VersionJavaHome and VersionVmPath
    RegistryView onlyIn;
    bool anyView;
};

constexpr CurrentKey kCurrentKeys[] = {
    {u"JavaSoft\\JDK", Layout::VersionJavaHome, RuntimeKind::Jdk, RegistryView::Natural, true},
    {u"JavaSoft\\JRE", Layout::VersionJavaHome, RuntimeKind::Jre, RegistryView::Natural, true},
    {u"Eclipse Adoptium\\JDK", Layout::VersionVmPath, RuntimeKind::Jdk, RegistryView::Natural,
     true},
    {u"Eclipse Adoptium\\JRE", Layout::VersionVmPath, RuntimeKind::Jre, RegistryView::Natural,
     true},
    {u"Eclipse Foundation\\JDK", Layout::VersionVmPath, RuntimeKind::Jdk, RegistryView::Natural,
     true},
    {u"Eclipse Foundation\\JRE", Layout::VersionVmPath, RuntimeKind::Jre, RegistryView::Natural,
     true},
    {u"AdoptOpenJDK\\JDK", Layout::VersionVmPath, RuntimeKind::Jdk, RegistryView::Natural, true},
    {u"AdoptOpenJDK\\JRE", Layout::VersionVmPath, RuntimeKind::Jre, RegistryView::Natural, true},
    {u"Microsoft\\JDK", Layout::VersionVmPath, RuntimeKind::Jdk, RegistryView::Natural, true},
    {u"Semeru\\JDK", Layout::VersionVmPath, RuntimeKind::Jdk, RegistryView::Natural, true},
    {u"Semeru\\JRE", Layout::VersionVmPath, RuntimeKind::Jre, RegistryView::Natural, true},
    {u"Azul Systems\\Zulu", Layout::NamedInstallationPath, RuntimeKind::Jdk, RegistryView::Natural,
     true},
    {u"Azul Systems\\Zulu 32-bit", Layout::NamedInstallationPath, RuntimeKind::Jdk,
     RegistryView::Bits32, false},
    {u"BellSoft\\Liberica", Layout::NamedInstallationPath, RuntimeKind::Jdk, RegistryView::Natural,
     true},
};

struct VmFolder {
    std::u16string_view name;
    RuntimeProvider provider;
};

// HotSpot builds count as Sun's VM for the provider settings, OpenJ9 as IBM's.
constexpr VmFolder kVmFolders[] = {
    {u"hotspot", RuntimeProvider::Sun},
    {u"openj9", RuntimeProvider::Ibm},
    {u"dragonwell", RuntimeProvider::Sun},
};

// zulu-17-jre and jre-17 are runtimes without the development tools.
RuntimeKind kindFromName(const WideString& name) {
    bool jre = name.startsWith(u"jre") || name.view().ends_with(u"-jre");
    return jre ? RuntimeKind::Jre : RuntimeKind::Jdk;
}

void readCurrentKey(HKEY hive, const CurrentKey& entry, REGSAM access,
                    std::vector<Registration>& registrations) {
    UniqueRegistryKey key;
    WideString path = WideString(u"SOFTWARE\\") + entry.path;
    if (!openKey(hive, path, access, key)) {
        return;
    }
    for (const WideString& name : subkeyNames(key.get())) {
        UniqueRegistryKey version;
        if (!openKey(key.get(), name, access, version)) {
            continue;
        }
        WideString home;
        WideString versionPath = path + u"\\" + name;
        switch (entry.layout) {
        case Layout::VersionJavaHome:
            if (readRegisteredFolder(version.get(), versionPath.view(), u"JavaHome", home)) {
                registrations.push_back({name, home, entry.kind, RuntimeProvider::Sun});
            }
            break;
        case Layout::NamedInstallationPath:
            if (readRegisteredFolder(version.get(), versionPath.view(), u"InstallationPath",
                                     home)) {
                registrations.push_back({name, home, kindFromName(name), RuntimeProvider::Sun});
            }
            break;
        case Layout::VersionVmPath:
            for (const VmFolder& vm : kVmFolders) {
                UniqueRegistryKey msi;
                if (openKey(version.get(), WideString(vm.name) + u"\\MSI", access, msi) &&
                    readRegisteredFolder(msi.get(),
                                         (versionPath + u"\\" + vm.name + u"\\MSI").view(), u"Path",
                                         home)) {
                    registrations.push_back({name, home, entry.kind, vm.provider});
                }
            }
            break;
        }
    }
}

class Registry final : public RegistrationSource {
  public:
    std::vector<Registration> rootEntries(const RegistryRoot& root, RegistryView view) override {
        std::vector<Registration> registrations;
        REGSAM access = accessFor(view);
        // The roots are written to be joined with a subkey name; the key itself
        // is opened without the final backslash.
        std::u16string_view path = root.key;
        if (path.ends_with(u'\\')) {
            path.remove_suffix(1);
        }
        UniqueRegistryKey key;
        if (!openKey(HKEY_LOCAL_MACHINE, path, access, key)) {
            return registrations;
        }
        for (const WideString& name : subkeyNames(key.get())) {
            UniqueRegistryKey version;
            WideString home;
            if (openKey(key.get(), name, access, version) &&
                readRegisteredFolder(version.get(), (WideString(path) + u"\\" + name).view(),
                                     u"JavaHome", home, ValueRule::TextUpToNul)) {
                registrations.push_back({name, home, root.kind, root.provider});
            }
        }
        return registrations;
    }

    // Machine-wide installations first, then those of the user.
    std::vector<Registration> currentRegistrations(RegistryView view) override {
        std::vector<Registration> registrations;
        REGSAM access = accessFor(view);
        for (const CurrentKey& entry : kCurrentKeys) {
            if (!entry.anyView && entry.onlyIn != view) {
                continue;
            }
            for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
                readCurrentKey(hive, entry, access, registrations);
            }
        }
        return registrations;
    }
};

} // namespace

std::unique_ptr<RegistrationSource> systemRegistrationSource() {
    return std::make_unique<Registry>();
}

} // namespace launcher
