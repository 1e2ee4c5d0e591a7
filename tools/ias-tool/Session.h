// ias-tool: the reader and card a command works on, and the commands that
// build their own APDUs (apdu and the PIN commands).
#ifndef IAS_TOOL_SESSION_H
#define IAS_TOOL_SESSION_H

#include "token/Connection.h"
#include "token/Token.h"

#include <ias/ias.h>

#include <memory>
#include <string>
#include <vector>

namespace tool {

struct Failure;
/// `what` failed with PC/SC error `e`: the code and its name, exit 2.
Failure FailedPcsc(const std::string& what, const token::PcscError& e);

struct Options {
    std::string reader; ///< name or index; empty: the first reader holding a card
    bool json = false;
    bool verbose = false;
};

/// One PC/SC context, the chosen reader and the card connected in it. Nothing
/// here resets the card: listing asks pcscd only, connecting is shared and sends
/// nothing.
class Session {
public:
    /// Opens the PC/SC context; Failure (exit 2) when pcscd cannot be reached.
    explicit Session(const Options& options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    /// Every reader pcscd knows, in its order, with its card's state and ATR
    /// as pcscd reports them; no reader is connected.
    std::vector<token::ReaderState> readerStates();
    /// The card of --reader, or of the first reader holding one, connected on
    /// first use without a reset and kept for the command.
    ias::CIASCard& card();
    const std::string& readerName() const { return m_reader; }

    /// One raw exchange, shown with --verbose. The command data of VERIFY,
    /// CHANGE REFERENCE DATA and RESET RETRY COUNTER is shown as "**".
    unsigned short transmit(const ias::CBlob& apdu, ias::CBlob& response);
    /// A --verbose note for exchanges the library makes on the tool's behalf.
    void note(const std::string& line) const;
    const Options& options() const { return m_options; }

private:
    Options m_options;
    token::Connection m_connection;
    std::string m_reader;
    std::unique_ptr<ias::CIASCard> m_card;

public:
    /// The command's walk of the card's CIA, once read (ReadToken keeps it,
    /// so a PIN named by its label costs no second walk).
    std::unique_ptr<token::Token> walked;
    token::Token::Depth walkedDepth = token::Token::Application;
};

/// True for the instructions whose command data is a PIN or PUK: VERIFY,
/// CHANGE REFERENCE DATA, RESET RETRY COUNTER (even and odd INS).
bool SecretIns(unsigned char ins);
/// The APDU in hex (blanks between bytes, or `separator`), its command data
/// replaced by "**" per byte when SecretIns says so; Le stays visible.
std::string ApduText(const ias::CBlob& apdu, const char* separator = " ");

/// A PIN reference in numeric form: "0x" and hex digits, decimal digits only
/// (read as hex: "81"), or one or two hex digits. True with `reference` set
/// when `text` has that form and fits a byte; false when it has not (a label);
/// Failure (exit 1) when it has but does not fit ("181", "0x100").
bool ParsePinReference(const std::string& text, unsigned char& reference);

// The commands; each returns an exit code or throws Failure.
/// readers: every reader, whether it holds a card, its ATR and card name.
int ListReaders(Session& s);
int Apdu(Session& s, const std::vector<std::string>& hex);

enum class PinOp { Verify, Change, Unblock };
struct PinOptions {
    std::string pin;    ///< reference as given ("81", "0x81") or label
    std::string puk;    ///< unblock-pin: the reference verified first
    std::string env;    ///< variable holding the current PIN (or the PUK)
    std::string newEnv; ///< variable holding the new PIN
    bool fromStdin = false;
};
int PinCommand(Session& s, PinOp op, const PinOptions& p);
/// VERIFY of the PIN `p` names, its value read as PinCommand reads it.
void VerifyPin(Session& s, const PinOptions& p);

} // namespace tool

#endif
