// The shared CIO attribute decoders. The first byte picks the decoder, the
// rest is its element; whatever decodes must encode to bytes that decode to
// the same encoding again.
#include "Cia/CCioAccessControlRule.h"
#include "Cia/CCioCredentialIdentifier.h"
#include "Cia/CCioKeyInfo.h"
#include "Cia/CCioObject.h"
#include "Cia/CCioObjectValue.h"
#include "Cia/CCioUsage.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>

namespace {
class Frame : public IAS::CCioObject {
public:
    explicit Frame(const ZAZ::ByteVector& der) : Frame(IAS::CCioFrame(der)) {}
    explicit Frame(const IAS::CCioFrame& frame)
        : CCioObject(frame), m_type(frame.typeAttributes().encoding()) {}
    ZAZ::ByteVector encodeClassAttributes() const override { return ZAZ::ByteVector(); }
    ZAZ::ByteVector encodeSubClassAttributes() const override { return ZAZ::ByteVector(); }
    ZAZ::ByteVector encodeTypeAttributes() const override { return m_type; }
    int choice() const override { return -1; }
    CCioObject* clone() const override { return new Frame(*this); }

private:
    ZAZ::ByteVector m_type;
};

template <class T> void roundTrip(const ZAZ::ByteVector& der) {
    const ZAZ::ByteVector once = T(der).encode();
    if (!once.empty() && !(T(once).encode() == once)) {
        std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const ZAZ::ByteVector der = FuzzBytes(data + 1, size - 1);
    try {
        using Check = void (*)(const ZAZ::ByteVector&);
        const Check checks[] = {roundTrip<IAS::CCioSecurityCondition>,
                                roundTrip<IAS::CCioAccessControlRule>,
                                roundTrip<IAS::CCioUsage>,
                                roundTrip<IAS::CCioKeyInfo>,
                                roundTrip<IAS::CCioCredentialIdentifier>,
                                roundTrip<IAS::CCioObjectValue>,
                                roundTrip<Frame>};
        checks[data[0] % 7](der);
    } catch (const ZAZ::CardFrameworkException&) {
    }
    return 0;
}
