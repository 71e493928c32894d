#pragma once
// The viewer's window for the program entry: everything main needs but the
// browser control, which comes as a factory.

#include "shell/win32/frm_Main.h"

namespace vv {

// Builds the main window for Book on the calling thread (OLE initialised,
// the book schemes' platform made), shows it and runs Loop until the window
// is gone. The reading state lives under the user's local application data.
// Returns the loop's exit code, or 1 when the book could not be opened (the
// reader has seen why).
int RunMainWindow(TMainBook Book, const TMainWindowParts& Parts, TWin32MessageLoop& Loop);

} // namespace vv
