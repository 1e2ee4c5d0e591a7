// ias-tool: what the commands share. The tool is built on the public API of
// libias only (<ias/ias.h>); every card exchange it makes itself goes through
// Session::transmit so that --verbose can show it.
#ifndef IAS_TOOL_TOOL_H
#define IAS_TOOL_TOOL_H

#include "Session.h"

#include "token/Token.h"

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
    EXIT_BAD_DATA = 5,
    EXIT_PARTIAL = 6, ///< some files or objects could not be read or decoded
    EXIT_INTERNAL = 7 ///< an unexpected exception
};

/// A failure that ends the command: one line on stderr and an exit code.
struct Failure {
    int code;
    std::string message;
};

/// `what` failed with the library exception `e`: the line names the status
/// word and its meaning, or the PC/SC code and its name, and picks the code.
Failure Failed(const std::string& what, const ias::CIASException& e);

std::string Hex(const ias::CBlob& b, const char* separator = " ");
/// The ISO/IEC 7816-4 meaning of a status word, or "" when not in the table.
std::string SwMeaning(unsigned int sw);
/// "SCARD_E_NO_SMARTCARD" for 0x8010000C, or "" when unknown.
std::string PcscName(unsigned long code);
/// "0x8010002F (SCARD_E_...)", the name when it is known.
std::string PcscText(unsigned long code);
/// The name atr.cnf (below $QV_PATH, else /etc/Quovanta) gives the ATR, or "".
std::string CardName(const ias::CBlob& atr);

/// Hex of `b`, or null when empty.
Json HexOrNull(const ias::CBlob& b);
Json HexOrNull(const token::Bytes& b);
/// Card text: the bytes as they stand (invalid UTF-8 is replaced when JSON is
/// written, escaped when text is), or null when empty.
Json TextOrNull(const ias::CBlob& b);
Json TextOrNull(const token::Bytes& b);
Json TextOf(const token::Bytes& b);
/// A path as {"path": text, "index", "length"} (index and length null when absent).
Json PathJson(const ias::CCiaPath& path);
/// A PathJson object as one line of text: "4574[936+910]".
std::string PathJsonText(const Json& path);
/// A path from hex file identifiers ("5031", "3F005015").
ias::CCiaPath Fid(const char* hex);
/// Names of the bits set in `mask`, named bit n of the BIT STRING as 2^n.
Json Bits(unsigned int mask, const std::vector<const char*>& names);
/// `text` for a terminal: C0 and C1 controls, DEL and bytes that are not
/// UTF-8 become \xNN, so card data cannot drive the terminal.
std::string Printable(const std::string& text);
/// A reference as people and the card both read it: "129 (0x81)".
std::string RefText(long reference);

/// The card's CIA through the token layer, read once per command (a deeper
/// walk than the one kept reads again).
const token::Token& ReadToken(Session& s, token::Token::Depth depth = token::Token::Everything);
/// A file's name, path, size, FCP and compact security attributes.
Json FileJson(const token::FileRead& f);
/// A problem of the walk: file, path, stage, status word or PC/SC code, message, offset.
Json ProblemJson(const token::Problem& p);
/// The same as one line of text.
std::string ProblemText(const token::Problem& p);
/// One element of a directory file with every attribute the library decodes.
Json EntryJson(const token::Token& t, const token::CioEntry& e);
/// The label of the PIN whose authId is `authId`, or null.
Json PinOf(const token::Token& t, const token::Bytes& authId);
/// A DER Name as one line of text, or its hex when it is not one.
Json NameText(const token::Bytes& der);
/// The dump document as text: what a person needs; --json has the rest.
void PrintDumpText(const Json& dump);
/// EXIT_OK, or EXIT_PARTIAL when the walk recorded any problem or an object
/// showed an error of its own (`objectErrors`).
int ExitFor(const token::Token& t, bool objectErrors);
/// Reports the walk's problems on standard error, one line each.
void ReportProblems(const token::Token& t);

/// The reference of the PIN whose AODF label is `text` (the walk is the
/// command's own, read once); Failure when there is none or it does not fit a byte.
unsigned char PinReference(Session& s, const std::string& text);

/// Prints the document as JSON or as indented text.
void Print(const Json& document, bool json);
/// {"schema": "ias-tool/3", "command": name}
Json Document(const char* command);

// The commands; each returns an exit code or throws Failure.
int Info(Session& s);
int Dump(Session& s);

enum class ListKind { Keys, Certs, Data, Pins };
int List(Session& s, ListKind kind);
int ReadCert(Session& s, const std::string& which, bool der);
int ReadData(Session& s, const std::string& which, const PinOptions& p, bool raw);

} // namespace tool

#endif
