// The test JVM's option checks, as a real VM refuses unknown and malformed options.
#include "options.h"

#include <array>
#include <cstdint>
#include <limits>

namespace testjvm {

namespace {

enum class FlagType { Bool, Size, Double, Text };

struct Flag {
    std::string_view name;
    FlagType type;
};

// A small part of HotSpot's flag table: enough for memory, stack and collector
// settings, the flags an application INI typically carries.
constexpr std::array kFlags{
    Flag{"UseSerialGC", FlagType::Bool},
    Flag{"UseParallelGC", FlagType::Bool},
    Flag{"UseG1GC", FlagType::Bool},
    Flag{"UseCompressedOops", FlagType::Bool},
    Flag{"UseStringDeduplication", FlagType::Bool},
    Flag{"HeapDumpOnOutOfMemoryError", FlagType::Bool},
    Flag{"ExitOnOutOfMemoryError", FlagType::Bool},
    Flag{"CrashOnOutOfMemoryError", FlagType::Bool},
    Flag{"UnlockDiagnosticVMOptions", FlagType::Bool},
    Flag{"UnlockExperimentalVMOptions", FlagType::Bool},
    Flag{"PrintCommandLineFlags", FlagType::Bool},
    Flag{"DisableAttachMechanism", FlagType::Bool},
    Flag{"UseContainerSupport", FlagType::Bool},
    Flag{"AlwaysPreTouch", FlagType::Bool},
    Flag{"ThreadStackSize", FlagType::Size},
    Flag{"MaxHeapSize", FlagType::Size},
    Flag{"InitialHeapSize", FlagType::Size},
    Flag{"MinHeapSize", FlagType::Size},
    Flag{"NewSize", FlagType::Size},
    Flag{"MaxNewSize", FlagType::Size},
    Flag{"MetaspaceSize", FlagType::Size},
    Flag{"MaxMetaspaceSize", FlagType::Size},
    Flag{"MaxDirectMemorySize", FlagType::Size},
    Flag{"ReservedCodeCacheSize", FlagType::Size},
    Flag{"CICompilerCount", FlagType::Size},
    Flag{"ParallelGCThreads", FlagType::Size},
    Flag{"ConcGCThreads", FlagType::Size},
    Flag{"MaxGCPauseMillis", FlagType::Size},
    Flag{"MaxRAMPercentage", FlagType::Double},
    Flag{"InitialRAMPercentage", FlagType::Double},
    Flag{"MinRAMPercentage", FlagType::Double},
    Flag{"HeapDumpPath", FlagType::Text},
    Flag{"ErrorFile", FlagType::Text},
    Flag{"OnError", FlagType::Text},
    Flag{"OnOutOfMemoryError", FlagType::Text},
};

const Flag* findFlag(std::string_view name) {
    for (const Flag& flag : kFlags) {
        if (flag.name == name) {
            return &flag;
        }
    }
    return nullptr;
}

bool isDouble(std::string_view text) {
    size_t i = 0;
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    return digits > 0 && i == text.size();
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

OptionVerdict invalid(std::string message) {
    return {JNI_EINVAL, std::move(message)};
}

OptionVerdict checkFlag(std::string_view option, std::string_view setting,
                        bool ignoreUnrecognized) {
    bool plusMinus = !setting.empty() && (setting[0] == '+' || setting[0] == '-');
    size_t equals = setting.find('=');
    std::string_view name = plusMinus                ? setting.substr(1)
                            : equals == setting.npos ? setting
                                                     : setting.substr(0, equals);
    const Flag* flag = findFlag(name);
    if (flag == nullptr) {
        // HotSpot passes unknown -XX flags over only when asked to ignore them.
        if (ignoreUnrecognized) {
            return {};
        }
        return invalid("Unrecognized VM option '" + std::string(setting.substr(plusMinus ? 1 : 0)) +
                       "'");
    }
    if (flag->type == FlagType::Bool) {
        if (!plusMinus) {
            return invalid("Missing +/- setting for VM option '" + std::string(name) + "'");
        }
        return {};
    }
    if (plusMinus) {
        return invalid("Unexpected +/- setting in VM option '" + std::string(name) + "'");
    }
    if (equals == setting.npos) {
        return invalid("Improperly specified VM option '" + std::string(setting) + "'");
    }
    std::string_view value = setting.substr(equals + 1);
    bool wellFormed = flag->type == FlagType::Text     ? true
                      : flag->type == FlagType::Double ? isDouble(value)
                                                       : isSize(value);
    if (!wellFormed) {
        return invalid("Improperly specified VM option '" + std::string(option.substr(4)) + "'");
    }
    return {};
}

struct SizeOption {
    std::string_view prefix;
    std::string_view what;
};

constexpr std::array kSizeOptions{
    SizeOption{"-Xmx", "Invalid maximum heap size"},
    SizeOption{"-Xms", "Invalid initial heap size"},
    SizeOption{"-Xmn", "Invalid new generation size"},
    SizeOption{"-Xss", "Invalid thread stack size"},
};

constexpr std::array<std::string_view, 12> kExactXOptions{
    "-Xint",   "-Xmixed",     "-Xcomp", "-Xbatch",  "-Xrs",      "-Xnoclassgc",
    "-Xdebug", "-Xcheck:jni", "-Xdiag", "-Xfuture", "-Xnoagent", "-Xinternalversion",
};

constexpr std::array<std::string_view, 6> kPrefixXOptions{
    "-Xshare:", "-Xverify", "-Xlog", "-Xbootclasspath/a:", "-Xloggc:", "-Xmaxjitcodesize",
};

// -ea, -da and their long forms, each optionally followed by ":<package or class>".
constexpr std::array<std::string_view, 4> kAssertionOptions{
    "-ea",
    "-da",
    "-enableassertions",
    "-disableassertions",
};

constexpr std::array<std::string_view, 4> kSystemAssertionOptions{
    "-esa",
    "-dsa",
    "-enablesystemassertions",
    "-disablesystemassertions",
};

} // namespace

bool isSize(std::string_view text) {
    uint64_t value = 0;
    size_t i = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        uint64_t digit = static_cast<uint64_t>(text[i] - '0');
        if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) {
            return false;
        }
        value = value * 10 + digit;
        ++i;
    }
    if (i == 0) {
        return false;
    }
    if (i == text.size()) {
        return true;
    }
    if (i + 1 != text.size()) {
        return false;
    }
    int shift = 0;
    switch (text[i]) {
    case 'k':
    case 'K':
        shift = 10;
        break;
    case 'm':
    case 'M':
        shift = 20;
        break;
    case 'g':
    case 'G':
        shift = 30;
        break;
    case 't':
    case 'T':
        shift = 40;
        break;
    default:
        return false;
    }
    return value <= (std::numeric_limits<uint64_t>::max() >> shift);
}

OptionVerdict checkOption(std::string_view option, bool ignoreUnrecognized) {
    if (startsWith(option, "-D")) {
        return {};
    }
    if (startsWith(option, "-XX:")) {
        return checkFlag(option, option.substr(4), ignoreUnrecognized);
    }
    for (const SizeOption& size : kSizeOptions) {
        if (startsWith(option, size.prefix)) {
            if (!isSize(option.substr(size.prefix.size()))) {
                return invalid(std::string(size.what) + ": " + std::string(option));
            }
            return {};
        }
    }
    for (std::string_view exact : kExactXOptions) {
        if (option == exact) {
            return {};
        }
    }
    for (std::string_view prefix : kPrefixXOptions) {
        if (startsWith(option, prefix)) {
            return {};
        }
    }
    for (std::string_view name : kAssertionOptions) {
        if (option == name || (startsWith(option, name) && option[name.size()] == ':')) {
            return {};
        }
    }
    for (std::string_view name : kSystemAssertionOptions) {
        if (option == name) {
            return {};
        }
    }
    if (option == "-verbose" || startsWith(option, "-verbose:")) {
        return {};
    }
    if (ignoreUnrecognized) {
        return {};
    }
    return {JNI_ERR, "Unrecognized option: " + std::string(option)};
}

} // namespace testjvm
