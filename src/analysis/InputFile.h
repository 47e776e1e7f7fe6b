// Whether a file can be opened as an input before any reader touches it.
#pragma once

#include <string>

// Why a file cannot be read as an input, in plain words ("is a directory", "cannot open: No
// such file or directory"); empty when it is a regular file that opens. Checked before a
// reader opens it, so a named pipe or a device never blocks or feeds a reader.
std::string InputFileProblem(const std::string& path);
// "is a directory", "is a named pipe, not a regular file", ... of a stat mode.
const char* FileKindText(unsigned mode);
// The system's words for an errno value.
std::string SystemErrorText(int error);

// ".kvnb" of "dir/Take.KVNB"; empty when the name has no extension.
std::string LowerExtension(const std::string& path);
