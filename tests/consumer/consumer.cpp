// An application of the installed libias, C++11 with <ias/ias.h> and libias.so
// alone. Offline it checks an exception crossing the library boundary; given a
// reader it verifies the user PIN and selects the MF there.
#include <ias/ias.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    try {
        (void)ias::_HB("3f00")[2];
        return 1;
    } catch (const ias::CIASException& e) {
        if (e.errorClass() != ias::CIASException::IAS_ERR_CARD_FRAMEWORK ||
            std::strcmp(e.descriptionA(), "Illegal parameter in function call.") != 0) {
            return 1;
        }
    }
    if (argc < 2) {
        return ias::AsString(ias::_HB("3f00")) == "3F 00 " ? 0 : 1;
    }
    void* ctx = nullptr;
    ias::IASInitialize(&ctx);
    ias::CIASCard card;
    ias::CBlob response;
    unsigned short sw = 0;
    try {
        if (ias::IASConnectA(ctx, argv[1], card) == ias::IAS_S_OK) {
            card.verify(0x81, ias::CBlob(std::string("1234")));
            card.sendAPDU(0x00, 0xA4, 0x00, 0x0C, ias::_HB("3F00"), 0, response, sw);
        }
    } catch (const ias::CIASException& e) {
        std::printf("%s (SW %04X)\n", e.descriptionA(), e.sw());
    }
    ias::IASFinalize(ctx);
    std::printf("SELECT MF: %04X\n", sw);
    return sw == 0x9000 ? 0 : 1;
}
