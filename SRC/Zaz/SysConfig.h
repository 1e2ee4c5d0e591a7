#ifndef ZAZ_SYSCONFIG_H
#define ZAZ_SYSCONFIG_H

#include <cstddef>
#include <string>

// Plain-text configuration files below one root: lines of "key: value",
// "#" comments, and directories whose settings live in a file named "conf".
// Every failure is a null handle or -1; nothing here throws or logs, so a
// missing file or key simply leaves the caller's default in force.

/// An open configuration (opaque to callers).
struct SYS_CfgHandle;

/// The configuration root: $QV_PATH when set and not empty, else "/etc/Quovanta".
/// An empty QV_PATH counts as unset: it would otherwise root every
/// configuration at "/".
std::string SYS_CfgRoot();

/// Opens a configuration by name: absolute when it starts with "/", else
/// relative to the root. A directory means its "conf" file, and the directory
/// stays open for walking its entries. Null when nothing can be opened.
SYS_CfgHandle* SYS_CfgOpen(const char* name);

/// Closes and frees the handle; -1 for a null handle or a failing close.
int SYS_CfgClose(SYS_CfgHandle* handle);

/// The searches return 0 when `key` was found and copy its value into
/// `buffer`, cut to *capacity - 1 characters and terminated; *capacity then
/// receives the number of characters copied, never the uncut length, so it
/// always describes what the buffer holds. -1 when not found.
///
/// FindFirst searches the whole file from its start.
int SYS_CfgFindFirst(SYS_CfgHandle* handle, const char* key, char* buffer, std::size_t* capacity);
/// FindNext searches from the current position to the end of the file.
int SYS_CfgFindNext(SYS_CfgHandle* handle, const char* key, char* buffer, std::size_t* capacity);
/// GetValue searches from the current position and, failing that, rewinds
/// once and searches the whole file.
int SYS_CfgGetValue(SYS_CfgHandle* handle, const char* key, char* buffer, std::size_t* capacity);
/// GetValue into a four-character buffer, read as a decimal number (so at
/// most three digits count).
int SYS_CfgGetInt(SYS_CfgHandle* handle, const char* key, int* value);

/// Walks the directory of a directory configuration, skipping "conf", "."
/// and "..". A name shorter than *capacity is copied with its terminator and
/// *capacity becomes its length + 1; a longer one is cut to *capacity bytes
/// with no terminator. -1 at the end or for a plain-file configuration.
int SYS_CfgFirstEntry(SYS_CfgHandle* handle, char* buffer, std::size_t* capacity);
int SYS_CfgNextEntry(SYS_CfgHandle* handle, char* buffer, std::size_t* capacity);

#endif
