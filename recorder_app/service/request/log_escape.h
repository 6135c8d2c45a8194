// Text from outside the program (the service's replies) goes into the log with its control
// characters written out, so that a line break inside it can never start a line of its own,
// least of all one that looks like an error line ("!!! ...").
#pragma once
#include <string>

// CR, LF and tab become \r, \n and \t; the other C0 and C1 controls and DEL become \xNN; the
// Unicode line and paragraph separators \uNNNN; a backslash is doubled so that the escapes
// stay unambiguous. Everything else is kept as it is.
std::wstring EscapeForLog(const std::wstring& text);
