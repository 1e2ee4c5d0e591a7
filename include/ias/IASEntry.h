#ifndef IAS_IASENTRY_H
#define IAS_IASENTRY_H

#include <ias/Export.h>

/* The entry functions: they report their outcome as a 32-bit status code.
 * IASInitialize, IASFinalize, IASListReadersA and IASGetInfo never throw;
 * IASConnectA throws ias::CIASException when its final reset fails;
 * IASGetVersion throws the library's internal exception types (catch (...)).
 * A process holds at most one library context at a time; the context is an
 * opaque pointer valid only in the process that created it. */

namespace ias {

class CIASCard;

const unsigned long IAS_S_OK = 0x00000000UL;
/// IASInitialize in a process that already holds a context.
const unsigned long IAS_E_ALREADY_INITIALIZED = 0x80000001UL;
/// The context is null, damaged, finalized, or belongs to another process.
const unsigned long IAS_E_INVALID_CONTEXT = 0x80000002UL;
/// IASListReadersA: the caller's buffer is too small.
const unsigned long IAS_E_INSUFFICIENT_BUFFER = 0x80000003UL;
/// IASConnectA: no reader name, or the connection could not be made.
const unsigned long IAS_E_CONNECT_FAILED = 0x80000004UL;
/// A required pointer is null, or PC/SC failed.
const unsigned long IAS_E_FAILED = 0x80000005UL;

/// Library information. IASGetInfo writes the version bytes only; the rest
/// of the structure is left as the caller set it.
struct IASINFO {
    unsigned char versionMajor;
    unsigned char versionMinor;
    unsigned char reserved[62];
};

/// Opens the process's library context on a PC/SC user-scope context.
IAS_API unsigned long IASInitialize(void** context);

/// Releases the context. Card handles connected through it stay valid.
IAS_API unsigned long IASFinalize(void* context);

/// Lists the readers as a double-NUL-terminated list of names.
/// `readersLength` is in characters, in/out; a null `readers` asks for the
/// length needed. No reader at all is success with an empty list.
IAS_API unsigned long IASListReadersA(void* context, char* readers, unsigned long* readersLength);

/// Needs no context.
IAS_API unsigned long IASGetInfo(IASINFO* info);

/// Connects `card` to the card in the named reader (shared mode, T=0 or T=1)
/// and warm-resets it. The handle then owns its connection and does not
/// depend on the context. A handle that was already connected is switched
/// to the new connection and its earlier one closed.
/// IAS_E_INVALID_CONTEXT for a bad context, IAS_E_CONNECT_FAILED for a null
/// reader name or any failure to connect (no such reader, no card). A failure
/// of the final reset is thrown as ias::CIASException.
IAS_API unsigned long IASConnectA(void* context, char* readerName, CIASCard& card);

/// What IASGetVersion reports for the card in a reader.
typedef unsigned int IasVersion;
const IasVersion IAS_VERSION_IAS = 0;
const IasVersion IAS_VERSION_IASECC = 1;

/// Tells whether the card in the named reader is an IAS ECC card (1) or an
/// older IAS card (0); needs no context. IAS_E_FAILED for a null reader name.
/// Waits for the reader's lock shared by all processes probing that reader.
/// Every other failure (no such reader, no card, a card that is not among the
/// supported ones or has no IAS application, card errors) is thrown, not
/// returned, as an exception of the library's internal types, which an
/// application cannot name: catch it with catch (...). When it arrives the
/// probe's PC/SC connection, reader lock and shared-memory mappings are
/// already released; `version` is then left unchanged.
IAS_API unsigned long IASGetVersion(char* readerName, IasVersion& version);

} // namespace ias

#endif
