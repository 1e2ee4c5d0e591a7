#include <ias/CIASCard.h>

#include "Api/Facade/CIASCardImpl.h"
#include "Api/Facade/Facade.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"
#include "Zaz/PCSCWrapperMicrosoft.h"

namespace ias {
namespace {
constexpr int kMaxResponseLength = 0xE7;

void requireTerminal(const CIASCard::Impl& impl) {
    if (impl.terminal.wrapper() == nullptr) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
    }
}
} // namespace

CIASCard::CIASCard() : m_impl(MakeOwned<Impl>()) {
    m_impl->card.setMaxResponseLength(kMaxResponseLength);
}

CIASCard::CIASCard(long hCard) : m_impl(MakeOwned<Impl>()) {
    attach(hCard);
}

void CIASCard::attach(long hCard) {
    Guarded([&] {
        std::unique_ptr<ZAZ::PCSCWrapper> wrapper(new ZAZ::PCSCWrapperMicrosoft());
        wrapper->Attach(static_cast<SCARDHANDLE>(hCard), true);
        bindConnection(*m_impl, std::move(wrapper));
    });
}

// Every step that can fail runs before the handle takes the new wrapper, and
// the terminal is rebound only once the handle owns it, so a failure never
// leaves the handle pointing at a destroyed connection.
void bindConnection(CIASCard::Impl& impl, std::unique_ptr<ZAZ::PCSCWrapper> wrapper) {
    const IAS::CZazTerminal bound(wrapper.get());
    IAS::CCiaCard fresh(&impl.terminal);
    fresh.setMaxResponseLength(kMaxResponseLength);
    impl.wrapper.swap(wrapper); // the earlier connection, if any, closes on return
    impl.pcscHandle = static_cast<long>(impl.wrapper->GetCardHandle());
    impl.card = fresh;
    impl.terminal = bound;
}

CIASCard::~CIASCard() = default;

long CIASCard::getPCSCHandle() {
    return m_impl->pcscHandle;
}

void CIASCard::verify(unsigned char reference, const CBlob& pin) {
    Guarded([&] { m_impl->card.verify(reference, ZAZ::ByteVector(pin)); });
}

void CIASCard::changePIN(unsigned char reference, const CBlob& data) {
    Guarded([&] { m_impl->card.changeReferenceData(0x01, reference, ZAZ::ByteVector(data)); });
}

void CIASCard::unblockPIN(unsigned char reference, const CBlob& data) {
    Guarded([&] { m_impl->card.resetRetryCounter(0x02, reference, ZAZ::ByteVector(data)); });
}

void CIASCard::sendAPDU(unsigned char cla, unsigned char ins, unsigned char p1, unsigned char p2,
                        const CBlob& data, unsigned long le, CBlob& response, unsigned short& sw) {
    Guarded([&] {
        if (data.size() >= 256 || le > 256) {
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
        }
        requireTerminal(*m_impl);
        ZAZ::ByteVector received;
        std::uint16_t status = 0;
        m_impl->terminal.transmit(cla, ins, p1, p2, ZAZ::ByteVector(data),
                                  static_cast<std::uint32_t>(le), received, status);
        response = BlobOf(received);
        sw = status;
    });
}

CBlob CIASCard::atr() {
    return Guarded([&] {
        requireTerminal(*m_impl);
        const ZAZ::ByteVector bytes = m_impl->terminal.atr();
        return BlobOf(bytes);
    });
}

void CIASCard::reset() {
    Guarded([&] { m_impl->card.reset(); });
}

void CIASCard::beginTransaction() {
    Guarded([&] {
        requireTerminal(*m_impl);
        m_impl->card.beginTransaction();
    });
}

void CIASCard::endTransaction() {
    Guarded([&] {
        requireTerminal(*m_impl);
        m_impl->card.endTransaction();
    });
}

} // namespace ias
