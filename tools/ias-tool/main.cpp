// ias-tool: IAS ECC and IAS cards from the command line.
#include "Tool.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <new>

namespace {

const char* const kExitCodes =
    "Exit codes:\n"
    "  0  success\n"
    "  1  usage error (bad option, argument or PIN input; a PIN reference\n"
    "     above FF)\n"
    "  2  no reader, no card, unknown reader or a PC/SC failure\n"
    "  3  the card refused a command (status word shown)\n"
    "  4  wrong PIN (tries left shown) or PIN blocked\n"
    "  5  bad card data (a certificate or data object that cannot be read)\n"
    "  6  partial: some files or objects of the card could not be read or\n"
    "     decoded (the output shows which)\n"
    "  7  internal error (an unexpected exception)\n"
    "PINs are never taken from the command line: they are read from\n"
    "the terminal without echo, from --pin-stdin or --pin-env VAR.\n"
    "--json output follows the schema \"ias-tool/3\" (ias-tool-json.md).";

// A numeric PIN reference must fit in a byte; labels pass unchecked here.
std::string CheckReference(const std::string& text) {
    try {
        unsigned char reference = 0;
        tool::ParsePinReference(text, reference);
    } catch (const tool::Failure& f) {
        return f.message;
    }
    return "";
}

void PinOptionsOn(CLI::App* cmd, tool::PinOptions& p, bool twoSecrets, bool puk,
                  bool pinRequired = true) {
    CLI::Option* pin =
        cmd->add_option("--pin", p.pin, "PIN reference (81 or 0x81) or the PIN's label");
    pin->required(pinRequired)->check(CheckReference, "REF");
    if (puk) {
        cmd->add_option("--puk", p.puk, "reference or label of the PIN (PUK) verified first")
            ->required()
            ->check(CheckReference, "REF");
    }
    CLI::Option* env = cmd->add_option("--pin-env", p.env,
                                       twoSecrets ? "variable holding the current PIN (or the PUK)"
                                                  : "variable holding the PIN");
    if (twoSecrets) {
        cmd->add_option("--new-pin-env", p.newEnv, "variable holding the new PIN");
    }
    cmd->add_flag("--pin-stdin", p.fromStdin,
                  twoSecrets ? "read the PINs from standard input, one line each"
                             : "read the PIN from standard input")
        ->excludes(env);
}

int Run(int argc, char** argv) {
    CLI::App app{"ias-tool: read and use IAS ECC and IAS smart cards through PC/SC"};
    app.footer(kExitCodes);
    app.require_subcommand(1);
    tool::Options options;
    app.add_option("--reader", options.reader,
                   "reader name or index (default: the first reader holding a card)");
    app.add_flag("--json", options.json, "JSON output (schema ias-tool/3)");
    app.add_flag("-v,--verbose", options.verbose, "show the APDUs on stderr, PIN data masked");

    std::vector<std::string> apdus;
    tool::PinOptions verify, change, unblock;
    CLI::App* readers = app.add_subcommand("readers", "every reader, its card, ATR and card name");
    CLI::App* info = app.add_subcommand("info", "card name and type, CIA application, EF.CIAInfo");
    CLI::App* dump = app.add_subcommand(
        "dump", "EF.DIR, EF.OD, EF.CIAInfo and every directory file with all its objects");
    CLI::App* listKeys = app.add_subcommand("list-keys", "one line per key");
    CLI::App* listCerts = app.add_subcommand("list-certs", "one line per certificate");
    CLI::App* listData = app.add_subcommand("list-data", "one line per data object");
    CLI::App* listPins =
        app.add_subcommand("list-pins", "one line per PIN (authentication object)");
    std::string which;
    bool der = false, raw = false;
    tool::PinOptions dataPin;
    CLI::App* readCert =
        app.add_subcommand("read-cert", "a certificate as PEM (or DER) with its subject, issuer, "
                                        "validity and key");
    readCert->add_option("ID-or-LABEL", which, "certificate id (hex) or label")->required();
    readCert->add_flag("--der", der, "write the DER bytes only");
    CLI::App* readData = app.add_subcommand("read-data", "the content of a data object");
    readData->add_option("ID-or-LABEL", which, "data object id (hex) or label")->required();
    readData->add_flag("--raw", raw, "write the bytes themselves, not hexadecimal");
    PinOptionsOn(readData, dataPin, false, false, false);
    CLI::App* apdu = app.add_subcommand("apdu", "send raw APDUs, show response and status word");
    apdu->add_option("HEX", apdus, "APDU in hexadecimal, blanks allowed")->required();
    CLI::App* verifyPin = app.add_subcommand("verify-pin", "VERIFY a PIN");
    PinOptionsOn(verifyPin, verify, false, false);
    CLI::App* changePin = app.add_subcommand("change-pin", "verify the current PIN, set a new one");
    PinOptionsOn(changePin, change, true, false);
    CLI::App* unblockPin = app.add_subcommand("unblock-pin", "verify the PUK, set a new PIN");
    PinOptionsOn(unblockPin, unblock, true, true);
    for (CLI::App* sub : app.get_subcommands({})) {
        sub->fallthrough();
        sub->footer(kExitCodes);
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "ias-tool: " << e.what() << " (see ias-tool --help)\n";
        return tool::EXIT_USAGE;
    }

    tool::Session session(options);
    if (readers->parsed()) {
        return tool::ListReaders(session);
    }
    if (info->parsed()) {
        return tool::Info(session);
    }
    if (dump->parsed()) {
        return tool::Dump(session);
    }
    const CLI::App* lists[] = {listKeys, listCerts, listData, listPins};
    for (int i = 0; i < 4; ++i) {
        if (lists[i]->parsed()) {
            return tool::List(session, static_cast<tool::ListKind>(i));
        }
    }
    if (readCert->parsed()) {
        return tool::ReadCert(session, which, der);
    }
    if (readData->parsed()) {
        return tool::ReadData(session, which, dataPin, raw);
    }
    if (apdu->parsed()) {
        return tool::Apdu(session, apdus);
    }
    if (verifyPin->parsed()) {
        return tool::PinCommand(session, tool::PinOp::Verify, verify);
    }
    if (changePin->parsed()) {
        return tool::PinCommand(session, tool::PinOp::Change, change);
    }
    return tool::PinCommand(session, tool::PinOp::Unblock, unblock);
}

int Fail(const tool::Failure& f) {
    std::cerr << "ias-tool: " << f.message << "\n";
    return f.code;
}

} // namespace

// Every failure ends here as one line on stderr and a documented exit code.
int main(int argc, char** argv) {
    try {
        try {
            return Run(argc, argv);
        } catch (const tool::Failure& f) {
            return Fail(f);
        } catch (const ias::CIASException& e) {
            return Fail(tool::Failed("card access", e));
        } catch (const token::PcscError& e) {
            return Fail(tool::FailedPcsc("PC/SC", e));
        } catch (const std::bad_alloc&) {
            std::cerr << "ias-tool: internal error: out of memory\n";
        } catch (const std::exception& e) {
            std::cerr << "ias-tool: internal error: " << e.what() << "\n";
        } catch (...) {
            std::cerr << "ias-tool: internal error: unknown exception\n";
        }
    } catch (...) {
        // Writing the message failed (stderr closed): the code still tells.
    }
    return tool::EXIT_INTERNAL;
}
