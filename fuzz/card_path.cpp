// The card path under a card that answers every command from the fuzzer's
// bytes, through CZazTerminal over a PC/SC wrapper that plays the card.
// Byte 0: bit 0 selects T=0, bit 1 makes the ATR match, bits 2-3 the
// scenario (file access, PIN commands, a whole CIA walk, recognition). Then
// each answer: a length byte and that many bytes (data, SW1, SW2); FD is
// followed by a two-byte length, FE by the index of a PC/SC failure. Once the
// bytes run out every command gets 6A82, so every loop over answers must end.
#include "Card/CCiaCard.h"
#include "Card/CCiaFileRecord.h"
#include "Card/CZazTerminal.h"
#include "Cia/CApplicationDirectoryFile.h"
#include "Cia/CCiaInfoFile.h"
#include "Cia/CCioAuthentication.h"
#include "Cia/CCioCertificate.h"
#include "Cia/CCioDataContainer.h"
#include "Cia/CCioFile.h"
#include "Cia/CCioPrivateKey.h"
#include "Cia/CCioPublicKey.h"
#include "Cia/CObjectDirectoryFile.h"
#include "Fci/CFileControlParameters.h"
#include "Recognition/CIasCard.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/PCSCWrapperMicrosoft.h"
#include "Zaz/PcscCodes.h"
#include "Zaz/ReaderStatus.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// No configuration or log of the machine takes part unless the caller names one.
const bool g_quietRoot = setenv("QV_PATH", "/nonexistent/libias-fuzz", 0) == 0;

const LONG kFailures[] = {
    SCARD_W_RESET_CARD, SCARD_W_REMOVED_CARD, SCARD_W_UNPOWERED_CARD, SCARD_E_COMM_DATA_LOST,
    SCARD_E_TIMEOUT,    SCARD_E_NO_SERVICE,   SCARD_E_NOT_TRANSACTED, SCARD_E_INSUFFICIENT_BUFFER};

class CardFromInput : public ZAZ::PCSCWrapperMicrosoft {
public:
    CardFromInput(const std::uint8_t* data, std::size_t size)
        : m_data(data), m_size(size), m_config(size > 0 ? data[0] : 0), m_pos(1) {}

    int scenario() const { return (m_config >> 2) & 3; }

    unsigned long Transmit(const ZAZ::ByteVector&, ZAZ::ByteVector& response,
                           std::int32_t maxLength) override {
        response.clear();
        if (m_pos >= m_size) {
            response = ZAZ::ByteVector("6A82");
            return 0;
        }
        std::size_t n = next();
        if (n == 0xFE) {
            const LONG failure = kFailures[next() % (sizeof kFailures / sizeof kFailures[0])];
            // As pcscd does, the status call after a reset reports it once more.
            m_resetPending = failure == SCARD_W_RESET_CARD;
            ThrowOnError(failure);
        }
        if (n == 0xFD) {
            n = static_cast<std::size_t>(next() << 8);
            n |= next();
        }
        n = std::min(n, m_size - std::min(m_pos, m_size));
        const std::uint8_t* answer = m_data + m_pos;
        m_pos += n;
        if (n > static_cast<std::size_t>(maxLength)) {
            ThrowOnError(SCARD_E_INSUFFICIENT_BUFFER);
        }
        response.assign(answer, static_cast<std::int32_t>(n));
        return 0;
    }
    unsigned long Status(ZAZ::ReaderStatus& status) override {
        if (m_resetPending) {
            m_resetPending = false;
            ThrowOnError(SCARD_W_RESET_CARD);
        }
        status.readerName = "libias fuzz reader";
        status.state = ZAZ::Pcsc::kStateSpecific;
        status.protocol = (m_config & 1) != 0 ? SCARD_PROTOCOL_T0 : SCARD_PROTOCOL_T1;
        status.atr = ZAZ::ByteVector("3B00");
        return 0;
    }
    unsigned long LocateCards(ZAZ::ReaderStatus& status, const std::string&) override {
        status.state = SCARD_STATE_PRESENT | ((m_config & 2) != 0 ? SCARD_STATE_ATRMATCH : 0);
        return 0;
    }
    unsigned long WarmReset() override { return 0; }
    unsigned long ColdReset() override { return 0; }
    unsigned long Reconnect() override { return 0; }
    unsigned long BeginTransaction() override { return 0; }
    unsigned long EndTransaction() override { return 0; }

private:
    std::uint8_t next() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::uint8_t m_config;
    std::size_t m_pos;
    bool m_resetPending = false;
};

template <class F> void Survive(F&& f) {
    try {
        f();
    } catch (const ZAZ::CardFrameworkException&) {
    }
}

IAS::CCiaPath PathOf(const char* hex) {
    IAS::CCiaPath path;
    path.setEfidOrPath(ZAZ::ByteVector(hex));
    return path;
}

void FileAccess(IAS::CCiaCard& card) {
    const ZAZ::ByteVector none;
    const ZAZ::ByteVector aid("A000000063504B43532D3135");
    IAS::CFileControlParameters fcp;
    Survive([&] { card.selectFile(none, ZAZ::ByteVector("3F002F00"), &fcp); });
    Survive([&] { card.selectFile(aid, ZAZ::ByteVector("5031"), &fcp); });
    Survive([&] { card.selectFile(aid, ZAZ::ByteVector("5032"), nullptr); });
    Survive([&] { card.selectFile(none, ZAZ::ByteVector("3F0050154402"), &fcp); });
    // A read that returns has exactly the bytes asked for, whatever the card sent.
    const auto read = [&card](std::uint16_t fileId, std::int32_t offset, std::int32_t count) {
        Survive([&] {
            if (card.readBinary(fileId, offset, count).size() != count) {
                std::abort();
            }
        });
    };
    read(0, 0, 600);
    read(5, 0x10, 20);
    read(0x5031, 0x9000, 300);
    IAS::CCiaFileRecord file;
    file.card = &card;
    file.path = PathOf("5031");
    file.path.setIndex(0);
    file.path.setLength(1 + static_cast<std::int32_t>(fcp.size() % 2048));
    Survive([&] {
        // Read twice, as two loads do: the second goes to the card again.
        const ZAZ::ByteVector first = IAS::CCiaCard::readFile(file);
        const ZAZ::ByteVector second = IAS::CCiaCard::readFile(file);
        if (first.size() != second.size() || first.size() != file.path.length()) {
            std::abort(); // a whole-file read returns the file's extent or fails
        }
    });
}

ZAZ::ByteVector Filled(std::int32_t n) {
    ZAZ::ByteVector bytes;
    bytes.resize(n, 0x31);
    return bytes;
}

// The unblock data is long enough to be chained.
void PinCommands(IAS::CCiaCard& card) {
    Survive([&] { card.verify(0x81, Filled(8)); });
    Survive([&] { card.changeReferenceData(0x01, 0x81, Filled(16)); });
    Survive([&] { card.resetRetryCounter(0x02, 0x81, Filled(300)); });
}

template <class T> void LoadDirectoryFile(IAS::CCiaCard& card, const IAS::CCiaPath& path) {
    IAS::CCryptoInfoObjectFile<T> file;
    file.open(card, path);
    file.load();
    for (const auto& object : file.objects()) {
        object->encode();
    }
}

void WalkCia(IAS::CCiaCard& card) {
    IAS::CApplicationDirectoryFile dir;
    dir.open(card, PathOf("2F00"));
    dir.load();
    for (const IAS::CApplicationTemplate& application : dir.applicationTemplates()) {
        IAS::CCiaPath base;
        if (application.path().size() >= 2) {
            base.setEfidOrPath(application.path());
        } else {
            base.setAid(application.aid());
        }
        Survive([&] {
            IAS::CCiaInfoFile info;
            info.open(card, base + PathOf("5032"));
            info.load();
        });
        Survive([&] {
            IAS::CObjectDirectoryFile od;
            od.open(card, base + PathOf("5031"));
            od.load();
            for (const IAS::CObjectDirectoryFile::Entry& entry : od.cioFiles()) {
                const IAS::CCiaPath& path = entry.second;
                const IAS::CCiaPath where =
                    path.isAbsolute() || !path.aid().empty() ? path : base + path;
                Survive([&] {
                    switch (entry.first) {
                    case 0:
                        LoadDirectoryFile<IAS::CCioPrivateKey>(card, where);
                        break;
                    case 1:
                    case 2:
                        LoadDirectoryFile<IAS::CCioPublicKey>(card, where);
                        break;
                    case 4:
                    case 5:
                    case 6:
                        LoadDirectoryFile<IAS::CCioCertificate>(card, where);
                        break;
                    case 7:
                        LoadDirectoryFile<IAS::CCioDataContainer>(card, where);
                        break;
                    case 8:
                        LoadDirectoryFile<IAS::CCioAuthentication>(card, where);
                        break;
                    default:
                        break;
                    }
                });
            }
        });
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CardFromInput wrapper(data, size);
    auto terminal = std::make_shared<IAS::CZazTerminal>(&wrapper);
    IAS::CCiaCard card(terminal.get());
    card.setMaxResponseLength(231);
    switch (wrapper.scenario()) {
    case 0:
        FileAccess(card);
        break;
    case 1:
        PinCommands(card);
        break;
    case 2:
        Survive([&] { WalkCia(card); });
        break;
    default:
        Survive([&] {
            IAS::CIasCard probe(terminal);
            probe.cardObject().readBinary(0, 0, 1);
        });
        break;
    }
    return 0;
}
