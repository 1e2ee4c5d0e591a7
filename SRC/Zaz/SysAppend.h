// Appending text to a file that may not take it.
#ifndef ZAZ_SYSAPPEND_H
#define ZAZ_SYSAPPEND_H

#include <cstddef>
#include <string>

/// Opens a log file for appending, creating it readable by its owner only.
/// The file often sits in a directory that others can write to, so a
/// symbolic link in the last place, anything but a regular file (a FIFO
/// would block the writer), and a file of another user are refused.
/// A descriptor, or -1.
int SYS_OpenForAppend(const std::string& path);

/// Appends the bytes to the file; false when it could not be opened or not all
/// of it was written (a full disk, a file size limit). Never raises SIGXFSZ:
/// a log line must not kill the application that writes it.
bool SYS_AppendToFile(const std::string& path, const char* data, std::size_t size);

#endif
