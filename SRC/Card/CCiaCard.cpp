#include "Card/CCiaCard.h"

#include "Card/CCiaFileRecord.h"
#include "Card/CTerminal.h"
#include "Fci/CFileControlParameters.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/IsoException.h"
#include "Zaz/Messages.h"
#include "Zaz/PCSCResetException.h"
#include "Zaz/PcscCodes.h"

#include <algorithm>

namespace IAS {
namespace {
constexpr std::uint8_t kInsSelect = 0xA4;
constexpr std::uint8_t kMfUnknown = 0xFF;
constexpr std::uint8_t kMfByReset = 0xFE;
constexpr std::uint8_t kP2Fcp = 0x04;
constexpr std::uint8_t kP2NoData = 0x0C;
const unsigned char kMasterFileId[2] = {0x3F, 0x00};

const ZAZ::ByteVector& masterFile() {
    static const ZAZ::ByteVector mf(kMasterFileId, 2);
    return mf;
}

bool startsWithMasterFile(const ZAZ::ByteVectorBase& path) {
    return path.size() >= 2 && path.data()[0] == 0x3F && path.data()[1] == 0x00;
}

bool sameBytes(const ZAZ::ByteVectorBase& a, const unsigned char* b, std::int32_t n) {
    return a.size() == n && (n == 0 || std::equal(a.begin(), a.end(), b));
}

void illegal() {
    throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
}

std::uint32_t resetsOf(const CTerminal* terminal) {
    return terminal != nullptr ? terminal->resetCount() : 0;
}

[[noreturn]] void cardWasReset() {
    throw ZAZ::PCSCResetException(0, ZAZ::Pcsc::kResetCard, "PCSCResetException");
}
} // namespace

struct CCiaCard::Selection {
    bool valid = false;
    ZAZ::ByteVector aid;
    ZAZ::ByteVector path;
    ZAZ::ByteVector parentPath;
    std::uint8_t mfSelectP1 = kMfUnknown;
    // The terminal's reset count when the selection was made: a reset by
    // another application since then leaves the card in the master file.
    std::uint32_t resets = 0;
    void invalidate() {
        valid = false;
        aid.clear();
        path.clear();
        parentPath.clear();
    }
};

CCiaCard::CCiaCard() : m_selection(new Selection) {}

CCiaCard::CCiaCard(CTerminal* terminal) : CCard(terminal), m_selection(new Selection) {}

void CCiaCard::reset() {
    m_selection->invalidate(); // unknown if the reset fails half-way
    CCard::reset();
    m_selection->resets = resetsOf(terminal());
    m_selection->valid = true;
}

void CCiaCard::invalidateSelection() {
    m_selection->invalidate();
}

void CCiaCard::onOutermostTransaction() {
    // Until now any application could select: the cache is a guess.
    m_selection->invalidate();
}

ZAZ::ByteVector CCiaCard::select(std::uint8_t p1, std::uint8_t p2,
                                 const ZAZ::ByteVectorBase& data) {
    return transmitExpectingData(CCardCommand(cla(), kInsSelect, p1, p2, data)).data;
}

ZAZ::ByteVector CCiaCard::selectWithRetry(std::uint8_t p1, std::uint8_t p2,
                                          const ZAZ::ByteVectorBase& data) {
    try {
        return select(p1, p2, data);
    } catch (const ZAZ::IsoException& e) {
        if (e.sw() != 0x6A82 && e.sw() != 0x6A86) {
            throw;
        }
    }
    CCard::reset();
    return select(p1, p2, data);
}

void CCiaCard::selectMasterFile(std::uint8_t p2) {
    std::uint8_t& learned = m_selection->mfSelectP1;
    if (learned == kMfByReset) {
        CCard::reset();
        return;
    }
    if (learned != kMfUnknown) {
        select(learned, p2, masterFile());
        return;
    }
    try {
        learned = 0x00;
        try {
            select(0x00, p2, masterFile());
            return;
        } catch (const ZAZ::IsoException& e) {
            if (e.sw() != 0x6A86) {
                throw;
            }
        }
        learned = 0x01;
        select(0x01, p2, masterFile());
    } catch (const ZAZ::CardFrameworkException&) {
        // Neither form works on this card: a warm reset makes the master file current.
        learned = kMfByReset;
        CCard::reset();
    }
}

void CCiaCard::selectFile(const ZAZ::ByteVectorBase& aid, const ZAZ::ByteVectorBase& path,
                          CFileControlParameters* fcpOut) {
    if (fcpOut == nullptr) {
        selectFileRaw(aid, path, nullptr);
        return;
    }
    ZAZ::ByteVector response;
    selectFileRaw(aid, path, &response);
    try {
        fcpOut->decode(response);
    } catch (...) {
        // The card may not have selected what we think: forget the selection.
        invalidateSelection();
        throw;
    }
}

void CCiaCard::selectFileRaw(const ZAZ::ByteVectorBase& aid, const ZAZ::ByteVectorBase& path,
                             ZAZ::ByteVector* fcpResponse) {
    for (int attempt = 0;; ++attempt) {
        const std::uint32_t resets = resetsOf(terminal());
        try {
            selectOnce(aid, path, fcpResponse, resets);
            if (resetsOf(terminal()) == resets) {
                return;
            }
        } catch (const ZAZ::CardFrameworkException&) {
            // After a reset the card answers from the master file: a refusal
            // then says nothing about the file asked for.
            if (resetsOf(terminal()) == resets) {
                throw;
            }
        }
        m_selection->invalidate();
        if (fcpResponse != nullptr) {
            fcpResponse->clear(); // perhaps the FCP of another file
        }
        if (attempt == 1) {
            cardWasReset();
        }
    }
}

void CCiaCard::selectOnce(const ZAZ::ByteVectorBase& aidIn, const ZAZ::ByteVectorBase& pathIn,
                          ZAZ::ByteVector* fcpResponse, std::uint32_t resets) {
    Selection& cache = *m_selection;
    try {
        if (pathIn.size() < 2 || pathIn.size() % 2 != 0) {
            illegal();
        }
        const bool absolute = startsWithMasterFile(pathIn);
        const ZAZ::ByteVectorBase path = absolute ? ZAZ::ByteVectorBase(pathIn, 2) : pathIn;
        if (path.size() < 2) {
            illegal();
        }
        const ZAZ::ByteVectorBase aid = absolute ? ZAZ::ByteVectorBase() : aidIn;
        const std::uint8_t p2 = fcpResponse != nullptr ? kP2Fcp : kP2NoData;
        const ZAZ::ByteVectorBase lastId(path, path.size() - 2);
        const std::int32_t parentLength = path.size() - 2;

        if (cache.valid && cache.resets == resets && cache.aid == aid) {
            if (cache.path == path && fcpResponse == nullptr) {
                return;
            }
            if (sameBytes(cache.parentPath, path.data(), parentLength)) {
                ZAZ::ByteVector response = select(0x02, p2, lastId);
                cache.path.assign(path);
                if (fcpResponse != nullptr) {
                    *fcpResponse = std::move(response);
                }
                return;
            }
        }

        cache.valid = false;
        if (!aid.empty()) {
            selectWithRetry(0x04, kP2NoData, aid);
        } else if (absolute) {
            selectWithRetry(0x00, kP2NoData, masterFile());
        } else {
            selectMasterFile(kP2NoData);
        }
        cache.aid.assign(aid);

        const std::uint8_t p1 = path.size() == 2 ? 0x02 : (absolute ? 0x08 : 0x09);
        ZAZ::ByteVector response = select(p1, p2, path);
        cache.path.assign(path);
        cache.parentPath.assign(path.data(), parentLength);
        cache.resets = resets;
        cache.valid = true;
        if (fcpResponse != nullptr) {
            *fcpResponse = std::move(response);
        }
    } catch (...) {
        cache.invalidate();
        throw;
    }
}

ZAZ::ByteVector CCiaCard::readBinary(std::uint16_t fileId, std::int32_t offset,
                                     std::int32_t count) {
    return readRange(fileId, offset, count, false);
}

ZAZ::ByteVector CCiaCard::readRange(std::uint16_t fileId, std::int32_t offset, std::int32_t count,
                                    bool toEnd) {
    if (fileId == 31 || count < 1 || offset < 0) {
        illegal();
    }
    // What the card answers after a reset by another application, data or
    // refusal, comes from another state of the card than the one read from.
    const auto failIfResetSince = [this](std::uint32_t since) {
        if (resetsOf(terminal()) != since) {
            invalidateSelection();
            cardWasReset();
        }
    };
    if (m_selection->valid) {
        failIfResetSince(m_selection->resets); // met by a command of another kind
    }
    const std::uint32_t resets = resetsOf(terminal());
    ZAZ::ByteVector result;
    std::int32_t remaining = count;
    while (offset < 0x10000) {
        const std::int32_t chunk = std::min(remaining, maxResponseLength());
        const auto le = static_cast<std::uint8_t>(chunk & 0xFF); // 256 goes out as 00
        const CCardCommand command = [&] {
            if (fileId == 0 && offset <= 0x7FFF) {
                return CCardCommand(cla(), 0xB0, static_cast<std::uint8_t>(offset >> 8),
                                    static_cast<std::uint8_t>(offset & 0xFF));
            }
            if (fileId >= 1 && fileId <= 30 && offset <= 0xFF) {
                return CCardCommand(cla(), 0xB0, static_cast<std::uint8_t>(0x80 | fileId),
                                    static_cast<std::uint8_t>(offset));
            }
            ZAZ::ByteVector offsetObject;
            offsetObject.appendByte(0x54);
            offsetObject.appendByte(0x02);
            offsetObject.appendU16(static_cast<std::uint16_t>(offset));
            return CCardCommand(cla(), 0xB1, static_cast<std::uint8_t>(fileId >> 8),
                                static_cast<std::uint8_t>(fileId & 0xFF), offsetObject);
        }();
        CCardResponse response;
        try {
            // 6282, end of file reached, may come with the file's last bytes.
            response = exchange(command, le == 0 ? 256u : le, toEnd ? 0x6282 : 0);
        } catch (const ZAZ::IsoException& e) {
            failIfResetSince(resets);
            if (toEnd && e.sw() == 0x6B00) {
                return result; // past the end
            }
            if (e.sw() == 0x6986) {
                // No current file: the card lost the selection, perhaps to a
                // reset pcscd told this handle of before it happened.
                invalidateSelection();
            }
            throw;
        } catch (const ZAZ::CardFrameworkException&) {
            failIfResetSince(resets);
            throw;
        }
        failIfResetSince(resets);
        const std::int32_t got = std::min(response.data.size(), remaining);
        if (got == 0) {
            // A card that answers 9000 without data would make us loop forever.
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
        }
        result.append(response.data.data(), got);
        offset += got;
        remaining -= got;
        if (remaining == 0 || (toEnd && (got < chunk || response.sw == 0x6282))) {
            return result; // for a file of unknown size, a short answer is its end
        }
    }
    throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
}

ZAZ::ByteVector CCiaCard::readFile(CCiaFileRecord& file) {
    if (file.card == nullptr) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kUnknownError);
    }
    const CCiaPath& path = file.path;
    if (file.loaded && !file.busy && path.index() >= 0 &&
        file.contentOffset == static_cast<std::uint32_t>(path.index()) &&
        file.content.size() == path.length()) {
        return file.content;
    }
    if (path.length() == 0) {
        // An empty file (its FCP says size 0): nothing to select or read.
        file.content.clear();
        file.contentOffset = static_cast<std::uint32_t>(std::max(path.index(), 0));
        return file.content;
    }
    file.busy = true;
    CCiaCard& card = *file.card;
    // The SELECT and every READ BINARY reach the card inside one transaction,
    // or another application could select another file in between and its
    // bytes would come back as this file's. The caller's own is reused.
    Transaction transaction(card);
    card.selectFile(path.aid(), path.normalized().efidOrPath());
    ZAZ::ByteVector content = path.length() < 0 ? card.readToEnd(path.index())
                                                : card.readBinary(0, path.index(), path.length());
    transaction.end();
    file.content = std::move(content);
    file.contentOffset = static_cast<std::uint32_t>(path.index());
    file.busy = false;
    return file.content;
}

ZAZ::ByteVector CCiaCard::readToEnd(std::int32_t offset) {
    if (offset < 0 || offset >= 0x10000) {
        illegal();
    }
    return readRange(0, offset, 0x10000 - offset, true);
}

bool CCiaCard::selectionValid() const {
    return m_selection->valid;
}
const ZAZ::ByteVector& CCiaCard::selectedAid() const {
    return m_selection->aid;
}
const ZAZ::ByteVector& CCiaCard::selectedPath() const {
    return m_selection->path;
}
const ZAZ::ByteVector& CCiaCard::selectedParentPath() const {
    return m_selection->parentPath;
}
std::uint8_t CCiaCard::mfSelectP1() const {
    return m_selection->mfSelectP1;
}

} // namespace IAS
