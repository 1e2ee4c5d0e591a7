// An application of the installed libias, found through CMake or pkg-config.
// Without a reader it checks the library loads and answers; with one it
// connects, verifies the user PIN and selects the MF with a raw APDU.
#include <ias/ias.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    ias::IASINFO info;
    std::memset(&info, 0, sizeof info);
    if (ias::IASGetInfo(&info) != ias::IAS_S_OK || ias::AsString(ias::_HB("3f00")) != "3F 00 ") {
        std::puts("library not usable");
        return 1;
    }
    if (argc < 2) {
        std::printf("libias %u.%u\n", info.versionMajor, info.versionMinor);
        return 0;
    }
    void* ctx = nullptr;
    ias::CIASCard card;
    if (ias::IASInitialize(&ctx) != ias::IAS_S_OK ||
        ias::IASConnectA(ctx, argv[1], card) != ias::IAS_S_OK) {
        std::printf("cannot connect to %s\n", argv[1]);
        return 1;
    }
    int status = 1;
    try {
        card.verify(0x81, ias::CBlob(std::string(argc > 2 ? argv[2] : "1234")));
        ias::CBlob response;
        unsigned short sw = 0;
        card.sendAPDU(0x00, 0xA4, 0x00, 0x0C, ias::_HB("3F00"), 0, response, sw);
        std::printf("ATR %s, SELECT MF %04X\n", ias::AsString(card.atr()).c_str(), sw);
        status = sw == 0x9000 ? 0 : 1;
    } catch (const ias::CIASException& e) {
        std::printf("card error %s (SW %04X)\n", e.descriptionA(), e.sw());
    }
    ias::IASFinalize(ctx);
    return status;
}
