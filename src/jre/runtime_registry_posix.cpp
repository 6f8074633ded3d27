// Linux has no registry: the runtimes in the folders where packages, SDKMAN! and
// IDEs install them stand in for the registrations of the natural view.
#include "jre/runtime_registry.h"

#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace launcher {

namespace {

// Replaces the usual folders and $JAVA_HOME, so that a test sees only its own runtimes.
constexpr char16_t kFoldersVariable[] = u"LAUNCHER_RUNTIME_FOLDERS";

WideStringList splitFolders(const WideString& list) {
    WideStringList folders;
    int32_t start = 0;
    while (start <= list.length()) {
        int32_t end = list.find(u':', start);
        if (end == WideString::kNotFound) {
            end = list.length();
        }
        if (end > start) {
            folders.push_back(list.mid(start, end - start));
        }
        start = end + 1;
    }
    return folders;
}

WideStringList usualFolders() {
    WideStringList folders = {u"/usr/lib/jvm", u"/usr/java", u"/opt/java"};
    WideString home;
    if (platform::getEnvironmentVariable(u"HOME", home) && !home.empty()) {
        home = platform::withSeparator(home);
        folders.push_back(home + u".sdkman/candidates/java");
        folders.push_back(home + u".jdks");
    }
    return folders;
}

// Only a folder with a `release` file counts: every runtime since JDK 8 has one,
// and the scan then reads nothing but these small files.
void addRuntime(std::vector<Registration>& registrations, const WideString& folder) {
    WideString home = platform::withSeparator(folder);
    if (!platform::directoryEntryExists(home + u"release")) {
        return;
    }
    RuntimeKind kind =
        platform::directoryEntryExists(home + u"bin/javac") ? RuntimeKind::Jdk : RuntimeKind::Jre;
    int32_t cut = folder.findLast(u'/');
    registrations.push_back({folder.mid(cut + 1), home, kind, RuntimeProvider::Sun});
}

class RuntimeFolders final : public RegistrationSource {
  public:
    std::vector<Registration> rootEntries(const RegistryRoot&, RegistryView) override { return {}; }

    std::vector<Registration> currentRegistrations(RegistryView view) override {
        std::vector<Registration> registrations;
        if (view != RegistryView::Natural) {
            return registrations;
        }
        WideString chosen;
        bool ownFolders = platform::getEnvironmentVariable(kFoldersVariable, chosen);
        for (const WideString& folder : ownFolders ? splitFolders(chosen) : usualFolders()) {
            WideString parent = platform::withSeparator(folder);
            platform::searchDirectory(parent + u"*", [&](const WideString& name) {
                if (name != u"." && name != u"..") {
                    addRuntime(registrations, parent + name);
                }
            });
        }
        WideString javaHome;
        // A relative $JAVA_HOME would name a runtime below the current directory.
        if (!ownFolders && platform::getEnvironmentVariable(u"JAVA_HOME", javaHome) &&
            platform::isAbsolutePath(javaHome.view())) {
            addRuntime(registrations, javaHome);
        }
        return registrations;
    }
};

} // namespace

std::unique_ptr<RegistrationSource> systemRegistrationSource() {
    return std::make_unique<RuntimeFolders>();
}

} // namespace launcher
