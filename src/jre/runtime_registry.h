// Runtimes that installers registered: where they are listed, which of them the
// settings admit, how they rank and which one is chosen. The ranking is written
// once here; each system supplies the listings through a RegistrationSource.
#pragma once

#include "base/wide_string.h"
#include "config/java_version.h"
#include "config/launcher_settings.h"
#include "config/runtime_policy.h"

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace launcher {

enum class RegistryView { Natural, Bits32 };

// One of the five keys under which runtimes of JDK 8 and older register.
struct RegistryRoot {
    std::u16string_view key; // below HKEY_LOCAL_MACHINE, ending with a backslash
    RuntimeKind kind;
    RuntimeProvider provider;
    // The JavaSoft JRE key's runtimes are probed for any VM when a server VM is favoured.
    bool probesFavorServerAsAny;
};

// In search order.
extern const std::array<RegistryRoot, 5> kRegistryRoots;

// One listed runtime, as its registration states it.
struct Registration {
    WideString name; // the subkey name, which names the version
    WideString home; // the home folder as registered, without anything appended
    RuntimeKind kind = RuntimeKind::Jre;
    RuntimeProvider provider = RuntimeProvider::Sun;
};

class RegistrationSource {
  public:
    virtual ~RegistrationSource() = default;
    // The subkeys of a root that hold a usable "JavaHome" string, in enumeration order.
    virtual std::vector<Registration> rootEntries(const RegistryRoot& root, RegistryView view) = 0;
    // The registrations of current installers (and, on Linux, the runtimes in the
    // usual folders), in a fixed order; kind and provider come from where each is listed.
    virtual std::vector<Registration> currentRegistrations(RegistryView view) = 0;
};

// The registry of this system, or the folders Linux keeps its runtimes in.
std::unique_ptr<RegistrationSource> systemRegistrationSource();

// One runtime that passed the bounds and has a JVM library.
struct RuntimeCandidate {
    JavaVersion version;
    WideString home; // ends with a separator
    bool serverVm = false;
    bool preferred = false;
};

// Whether "JVM Source" and "VM Provider" let a listing of this kind and provider be read.
bool isSelected(const LauncherSettings& settings, RuntimeKind kind, RuntimeProvider provider);
// Whether its kind is asked for and its provider favoured.
bool isPreferred(const LauncherSettings& settings, RuntimeKind kind, RuntimeProvider provider);

// Best first; equal candidates keep the order in which they were found.
void rankCandidates(std::vector<RuntimeCandidate>& candidates, const LauncherSettings& settings);
// The first candidate matching the earliest "Preferred versions" entry that
// matches any, else the first; nothing when the list is empty.
std::optional<RuntimeCandidate> chooseCandidate(std::span<const RuntimeCandidate> ranked,
                                                const WideStringList& preferredVersions);

// The five roots in one view. A 32-bit pass is refused while "Pair Product" is empty.
std::optional<RuntimeCandidate> searchRegistryPass(const LauncherSettings& settings,
                                                   RegistryView view, RegistrationSource& source);
// The registrations of current installers in one view, under the same rules; the
// version is the runtime's own (its `release` file) when it states one.
std::optional<RuntimeCandidate> searchCurrentRegistrations(const LauncherSettings& settings,
                                                           RegistryView view,
                                                           RegistrationSource& source);

// JAVA_VERSION of a `release` file's text; nothing when it has none.
std::optional<JavaVersion> releaseVersion(std::string_view releaseText);
// The first bytes of home + "release" (at most `limit`); false when it cannot be read.
bool readReleaseFile(const WideString& home, size_t limit, std::string& text);

} // namespace launcher
