// The question on an exception main did not catch: go on, or stop the application.
#pragma once

#include "base/wide_string.h"

namespace launcher {

// True to stop the application. Where a window can be shown (Windows), dialog 231
// shows the exception's text: Ignore goes on, Stop stops. Elsewhere nobody can be
// asked: the text goes to the standard error and the application goes on.
bool askToStopOnException(const WideString& exceptionText);

// The text with every line feed that has no carriage return before it made a
// CR LF, as a multi-line edit box wants its lines.
WideString withWindowsLineEnds(const WideString& text);

} // namespace launcher
