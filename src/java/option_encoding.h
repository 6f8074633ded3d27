// How the composed VM options reach the VM, whose invocation interface takes
// narrow text only.
#pragma once

#include "base/wide_string.h"
#include "java/jvm_options.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace launcher {

// The two facts of the system the choice rests on, replaceable for the tests.
struct NarrowForm {
    // Whether the narrow encoding writes the text so that it reads back unchanged.
    std::function<bool(std::u16string_view)> keeps;
    // The file system's short form of a path, when it has one.
    std::function<std::optional<WideString>(const WideString&)> shortPath;
    // Whether the path names an entry.
    std::function<bool(const WideString&)> exists;

    // The system's own answers.
    static NarrowForm ofSystem();
};

// A system property set through System.setProperty once the VM exists.
struct SystemProperty {
    WideString name;
    WideString value;
    friend bool operator==(const SystemProperty&, const SystemProperty&) = default;
};

enum class OptionRoute {
    Written,          // as it is
    Shortened,        // its paths in their short form
    SetAfterCreation, // a property the VM does not read while it starts
    Refused,          // nothing could pass it unchanged
};

struct OptionForm {
    OptionRoute route = OptionRoute::Written;
    WideString text; // what the VM is given; the option itself when not written
};

// A path the narrow encoding can write that names the same entry: the path, else
// its short form, else a short form of its folder followed by a name that can
// be written (for a file about to be made). Nothing when there is none.
std::optional<WideString> writablePath(const WideString& path, const NarrowForm& narrow);

OptionForm chooseOptionForm(const WideString& option, const NarrowForm& narrow);

// How the VM is pointed at its runtime: the JVM library loaded by a path the
// code page can write, and the home given as well when the library's own path
// cannot be (empty: the VM finds it from the library, as usual).
struct RuntimeForm {
    WideString library;
    WideString home;
};

// Nothing when the runtime's folder cannot be named so. A VM before feature
// version 25 loads its class library's native code by the long, code-page
// form of the names even when told the short one, so it is refused there.
std::optional<RuntimeForm> chooseRuntimeForm(const WideString& jvmLibraryPath, int featureVersion,
                                             const NarrowForm& narrow);

// What the VM is created with.
struct EncodedJvmOptions {
    JvmOptionList options; // narrow, in order
    std::vector<SystemProperty> laterProperties;
};

// Chooses each option's form. False, after message 231 naming the first option
// that cannot pass, when one is refused; nothing is encoded then.
bool encodeJvmOptions(const WideStringList& options, const NarrowForm& narrow,
                      EncodedJvmOptions& encoded);

// The name an error line gives an option: "-Dname" for a property, the name of a
// path option, else the whole option.
WideString optionName(const WideString& option);

} // namespace launcher
