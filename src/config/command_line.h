// The command line: splitting rule and the launcher's argument list.
#pragma once

#include "base/wide_string.h"

namespace launcher {

// Appends the tokens of `text` to `tokens`. Only the double quote and the blank
// are special; a backslash is an ordinary character.
void splitArguments(std::u16string_view text, WideStringList& tokens);

// Appends the process's arguments, without the program path, to `arguments`.
void buildArgumentList(WideStringList& arguments);

// The Windows command-line form: trim white space, split, drop the program path.
void appendCommandLineArguments(const WideString& commandLine, WideStringList& arguments);

} // namespace launcher
