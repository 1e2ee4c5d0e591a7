// Reaching readers and cards through PC/SC without disturbing them: listing
// and card status come from the resource manager alone, and a connection is a
// shared SCardConnect handed to the library, so no APDU is sent and no card is
// reset on the way (ias::IASConnectA warm-resets the card it connects).
#ifndef TOKEN_CONNECTION_H
#define TOKEN_CONNECTION_H

#include <ias/CIASCard.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace token {

/// A PC/SC call failed; code() is its return value (SCARD_E_..., SCARD_W_...).
class PcscError : public std::runtime_error {
public:
    PcscError(const std::string& what, unsigned long code);
    unsigned long code() const { return m_code; }

private:
    unsigned long m_code;
};

/// One reader as pcscd last saw it.
struct ReaderState {
    std::string name;
    bool present = false;           ///< a card is in the reader
    bool exclusive = false;         ///< another application holds the card exclusively
    bool mute = false;              ///< the card gave no ATR
    std::vector<unsigned char> atr; ///< empty when no card or a mute one
    /// pcscd's count of insertions and removals in this reader: a card taken
    /// out and put back in between two listings changes it.
    unsigned long events = 0;
};

/// One PC/SC context. Not copyable; one thread at a time.
class Connection {
public:
    /// Establishes the context (system scope); throws PcscError (e.g. no pcscd).
    Connection();
    /// Releases the context; cards connected through it stay connected.
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    /// Every reader pcscd knows, in its order, with the state pcscd holds for
    /// it; asks pcscd only, never the card. No readers: empty. Throws PcscError.
    std::vector<ReaderState> readers();

    /// A shared connection (T=0 or T=1) to the card in `reader`, sending nothing
    /// to it; null when the reader holds no card. Other failures throw PcscError.
    std::unique_ptr<ias::CIASCard> connect(const std::string& reader);

    /// True when another application has reset the card since `card` connected.
    /// Asks pcscd only. The library reconnects after such a reset silently and
    /// keeps its file-selection cache; a client that must know (verified PINs
    /// are gone, the card's current file is the MF) asks here first, and
    /// connects a new handle.
    static bool resetSince(ias::CIASCard& card);

    /// Blocks until a card or reader of pcscd changes, at most `milliseconds`,
    /// or until cancel(). True when something changed; false on time-out,
    /// cancellation or a PC/SC failure (the caller looks again either way).
    bool waitForChange(unsigned long milliseconds);
    /// Ends a waitForChange of this context, from any thread.
    void cancel();

private:
    long m_context = 0; ///< SCARDCONTEXT
};

} // namespace token

#endif
