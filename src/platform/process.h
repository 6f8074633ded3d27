// The launcher's own process: its command line, locale, working directory and
// the start of another program with the same command line.
#pragma once

#include "base/wide_string.h"
#include "platform/system_error.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace launcher::platform {

// POSIX entry points hand their argv over before anything reads it; Windows
// programs read their command line from the system instead.
void setProcessArguments(int argc, char** argv);
// The command line as the one text Windows keeps it in; nothing where programs
// get their arguments split by the system.
std::optional<WideString> commandLineText();
// The arguments after the program path as the system split them.
WideStringList systemSplitArguments();

uint32_t currentProcessId();

// Conversions to narrow text follow the system's locale from here on.
void useSystemLocale();

// A program started with this process's own unchanged command line, environment
// and current directory.
class ChildProcess {
  public:
    // Null when the program cannot be started, with `error` telling why.
    static std::unique_ptr<ChildProcess> startWithOwnCommandLine(const WideString& program,
                                                                 SystemError& error);
    // A helper program that must not show anything: no window, and its standard
    // input, output and error on the null device.
    static std::unique_ptr<ChildProcess>
    startQuietly(const WideString& program, const WideStringList& arguments, SystemError& error);
    virtual ~ChildProcess() = default;
    // Waits without time limit; nullopt when the exit code cannot be read.
    virtual std::optional<uint32_t> waitForExitCode() = 0;
};

} // namespace launcher::platform
