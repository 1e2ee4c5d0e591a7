// An application of the installed libias: prints the library version and,
// given a reader, verifies the user PIN and selects the MF there.
#include <ias/ias.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    ias::IASINFO info = {};
    ias::IASGetInfo(&info);
    std::printf("libias %u.%u\n", info.versionMajor, info.versionMinor);
    if (argc < 2) {
        return 0;
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
