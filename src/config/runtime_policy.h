// What "JVM Source" and "VM Provider" say about the registered runtimes: which
// kinds and providers are read, and which of them come first.
#pragma once

namespace launcher {

enum class RuntimeKind { Jdk, Jre };
enum class RuntimeProvider { Sun, JRockit, Ibm };

// "JVM Source": the kinds asked for; `mixed` reads the other kind too, after them.
struct SourcePolicy {
    bool jdk = false;
    bool jre = false;
    bool mixed = true;

    bool asksFor(RuntimeKind kind) const noexcept { return kind == RuntimeKind::Jdk ? jdk : jre; }
    bool reads(RuntimeKind kind) const noexcept { return mixed || asksFor(kind); }
};

// One row of the "VM Provider" table.
struct ProviderPolicy {
    struct Rule {
        bool allowed = false;
        bool favoured = false;
    };
    Rule sun{true, true};
    Rule jrockit;
    Rule ibm;

    const Rule& of(RuntimeProvider provider) const noexcept {
        return provider == RuntimeProvider::Sun       ? sun
               : provider == RuntimeProvider::JRockit ? jrockit
                                                      : ibm;
    }
    bool reads(RuntimeProvider provider) const noexcept {
        return of(provider).allowed || of(provider).favoured;
    }
    bool favours(RuntimeProvider provider) const noexcept { return of(provider).favoured; }
    // IBM's runtimes must never see a thread that ran Java code leave the VM.
    bool admitsIbm() const noexcept { return reads(RuntimeProvider::Ibm); }
};

} // namespace launcher
