// ias-tool: what the commands share. The tool is built on the public API of
// libias only (<ias/ias.h>); every card exchange it makes itself goes through
// Session::transmit so that --verbose can show it.
#ifndef IAS_TOOL_TOOL_H
#define IAS_TOOL_TOOL_H

#include <ias/ias.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

namespace tool {

using Json = nlohmann::ordered_json;

/// The documented exit codes (ias-tool.1, --help).
enum Exit {
    EXIT_OK = 0,
    EXIT_USAGE = 1,
    EXIT_NO_CARD = 2,
    EXIT_REFUSED = 3,
    EXIT_WRONG_PIN = 4,
    EXIT_BAD_DATA = 5
};

/// A failure that ends the command: one line on stderr and an exit code.
struct Failure {
    int code;
    std::string message;
};

/// `what` failed with the library exception `e`: the line names the status
/// word and its meaning, or the PC/SC code and its name, and picks the code.
Failure Failed(const std::string& what, const ias::CIASException& e);

struct Options {
    std::string reader; ///< name or index; empty: the first reader holding a card
    bool json = false;
    bool verbose = false;
};

std::string Hex(const ias::CBlob& b, const char* separator = " ");
std::string Text(const ias::CBlob& b);
/// "3F00/5015/5031", with "aid A0...:" in front when the path has an AID.
std::string PathText(const ias::CCiaPath& path);
/// The ISO/IEC 7816-4 meaning of a status word, or "" when not in the table.
std::string SwMeaning(unsigned int sw);
/// "SCARD_E_NO_SMARTCARD" for 0x8010000C, or "" when unknown.
std::string PcscName(unsigned long code);
/// The name atr.cnf (below $QV_PATH, else /etc/Quovanta) gives the ATR, or "".
std::string CardName(const ias::CBlob& atr);

/// One library context, the chosen reader and the card connected in it.
class Session {
public:
    explicit Session(const Options& options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    /// Every reader pcscd knows, in its order.
    std::vector<std::string> readers();
    /// Connects `name`; false when there is no card (or the reader is gone).
    bool tryConnect(const std::string& name, ias::CIASCard& card);
    /// Connects the reader of --reader, or the first reader holding a card.
    ias::CIASCard& card();
    const std::string& readerName() const { return m_reader; }

    /// One raw exchange, shown with --verbose; `secretFrom` masks the command
    /// data from that byte on (PIN values).
    unsigned short transmit(const ias::CBlob& apdu, ias::CBlob& response,
                            unsigned int secretFrom = ~0u);
    /// A --verbose note for exchanges the library makes on the tool's behalf.
    void note(const std::string& line) const;
    const Options& options() const { return m_options; }

private:
    Options m_options;
    void* m_context = nullptr;
    std::string m_reader;
    std::unique_ptr<ias::CIASCard> m_card;
};

/// Hex of `b`, or null when empty.
Json HexOrNull(const ias::CBlob& b);
/// The UTF-8 text of `b`, or null when empty.
Json TextOrNull(const ias::CBlob& b);
/// A path from hex file identifiers ("5031", "3F005015").
ias::CCiaPath Fid(const char* hex);
/// Names of the bits set in `mask`, named bit n of the BIT STRING as 2^n.
Json Bits(unsigned int mask, const std::vector<const char*>& names);

/// The CIA application the tool reads: its template and where EF.OD and
/// EF.CIAInfo are opened from.
struct Application {
    ias::CApplicationTemplate app;
    ias::CCiaPath base;
    bool byAid = false; ///< reached by AID: paths below its DF are rewritten
};
/// The first application of EF.DIR whose EF.OD opens (PKCS #15 AID first).
Application FindApplication(Session& s, const ias::CApplicationDirectoryFile& dir);
/// A path from EF.OD as the tool opens it.
ias::CCiaPath Resolve(const Application& a, const ias::CCiaPath& p);
/// A file's name, path, FCP and compact security attributes.
Json FileHeader(const char* name, const ias::CCiaFile& file);
/// "PrKDF", "CDF", ... for an EF.OD choice.
const char* CioKind(int choice);

/// One CIO directory file as read from the card: its EF.OD choice, the file
/// (FCP, path) and its content bytes.
struct CioFile {
    int choice;
    ias::CCiaFile file;
    ias::CBlob bytes;
};
/// Every directory file EF.OD names, read once, and the PIN labels by authId.
struct Cia {
    Application app;
    std::vector<CioFile> files;
    std::vector<std::pair<std::string, std::string>> pins; ///< authId hex, label
    /// The label of the authentication object `authId` (hex), or null.
    Json pinLabel(const std::string& authId) const;
};
/// Reads EF.DIR, EF.OD and every directory file, or uses `od` when given.
Cia ReadCia(Session& s, const Application* a = nullptr,
            const ias::CObjectDirectoryFile::CioFileList* od = nullptr);
/// What a directory file holds: the decoded objects with all attributes,
/// the elements of kinds the library does not decode, and, when the file
/// failed to decode part way, one line naming file, offset and message.
struct CioContent {
    Json objects = Json::array();
    Json undecoded = Json::array();
    std::string failure;
};
CioContent Describe(const Cia& cia, const CioFile& f);
/// A PIN reference given as a hex byte ("81", "0x81") or an AODF label.
unsigned char PinReference(Session& s, const std::string& text);

/// Prints the document as JSON or as indented text.
void Print(const Json& document, bool json);
/// {"schema": "ias-tool/2", "command": name}
Json Document(const char* command);

// The commands; each returns an exit code or throws Failure.
int Readers(Session& s);
int Info(Session& s);
int Dump(Session& s);
int Apdu(Session& s, const std::vector<std::string>& hex);

enum class PinOp { Verify, Change, Unblock };
struct PinOptions {
    std::string pin;    ///< reference as given ("81", "0x81")
    std::string puk;    ///< unblock-pin: the reference verified first
    std::string env;    ///< variable holding the current PIN (or the PUK)
    std::string newEnv; ///< variable holding the new PIN
    bool fromStdin = false;
};
int PinCommand(Session& s, PinOp op, const PinOptions& p);
/// VERIFY of the PIN `p` names, its value read as PinCommand reads it.
void VerifyPin(Session& s, const PinOptions& p);

enum class ListKind { Keys, Certs, Data, Pins };
int List(Session& s, ListKind kind);
int ReadCert(Session& s, const std::string& which, bool der);
int ReadData(Session& s, const std::string& which, const PinOptions& p, bool raw);

} // namespace tool

#endif
