// A library context and a card handle connected to the reader under test.
#ifndef TESTS_INTEGRATION_CARD_CARDIT_H
#define TESTS_INTEGRATION_CARD_CARDIT_H

#include <ias/ias.h>

#include "Api/Facade/CIASCardImpl.h"
#include "integration/VcardEnv.h"

#include <gtest/gtest.h>

namespace cardit {

inline std::string Hex(const ias::CBlob& b) {
    return Hex(b.data(), b.size());
}
inline std::string Hex(const ZAZ::ByteVectorBase& b) {
    return Hex(b.begin(), static_cast<std::size_t>(b.size()));
}

class ConnectedCard : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(ias::IASInitialize(&s_context), ias::IAS_S_OK); }
    static void TearDownTestSuite() {
        ias::IASFinalize(s_context);
        s_context = nullptr;
    }
    void SetUp() override {
        std::string reader = Reader();
        ASSERT_FALSE(reader.empty()) << "run under scripts/with-vcard";
        ASSERT_EQ(ias::IASConnectA(s_context, &reader[0], card), ias::IAS_S_OK);
    }

    /// The handle's command-layer card object (maximum response 231).
    IAS::CCiaCard& cia() { return ias::CIASCardAccess::impl(card).card; }

    /// sendAPDU that must not throw; returns the status word.
    unsigned short Send(const char* header, const char* data, unsigned long le,
                        ias::CBlob* out = nullptr) {
        const ias::CBlob h = ias::_HB(header);
        ias::CBlob response;
        unsigned short sw = 0;
        card.sendAPDU(h[0], h[1], h[2], h[3], ias::_HB(data), le, response, sw);
        if (out != nullptr) {
            *out = response;
        }
        return sw;
    }

    static inline void* s_context = nullptr;
    ias::CIASCard card;
};

} // namespace cardit

#endif
