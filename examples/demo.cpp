// A first use of libias: list the readers, connect to the card in one of them,
// show the ATR, verify the user PIN and read EF.DIR with raw APDUs.
//
//   ias-demo [READER] [PIN]
//
// Without READER the first reader with a card is used; PIN defaults to 1234
// (the sample card's user PIN, reference 0x81).
#include <ias/ias.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const unsigned char kUserPinReference = 0x81;

std::vector<std::string> listReaders(void* context) {
    std::vector<std::string> names;
    unsigned long length = 0;
    if (ias::IASListReadersA(context, NULL, &length) != 0 || length == 0) {
        return names;
    }
    std::vector<char> buffer(length + 1, '\0');
    if (ias::IASListReadersA(context, &buffer[0], &length) != 0) {
        return names;
    }
    for (const char* p = &buffer[0]; *p != '\0'; p += std::strlen(p) + 1) {
        names.push_back(p);
    }
    return names;
}

bool ok(unsigned short sw) {
    return sw == 0x9000;
}

// SELECT 2F00 from the master file, then READ BINARY in 231-byte steps until
// the card says the end is reached.
int readEfDir(ias::CIASCard& card) {
    ias::CBlob response;
    unsigned short sw = 0;
    card.sendAPDU(0x00, 0xA4, 0x00, 0x0C, ias::_HB("3F00"), 0, response, sw);
    card.sendAPDU(0x00, 0xA4, 0x02, 0x0C, ias::_HB("2F00"), 0, response, sw);
    if (!ok(sw)) {
        std::printf("SELECT EF.DIR failed: SW %04X\n", sw);
        return 1;
    }
    ias::CBlob content;
    for (unsigned int offset = 0; offset < 0x7FFF;) {
        card.sendAPDU(0x00, 0xB0, static_cast<unsigned char>(offset >> 8),
                      static_cast<unsigned char>(offset & 0xFF), ias::CBlob(), 231, response, sw);
        if ((sw >> 8) == 0x6C) { // wrong length: ask again for what is there
            card.sendAPDU(0x00, 0xB0, static_cast<unsigned char>(offset >> 8),
                          static_cast<unsigned char>(offset & 0xFF), ias::CBlob(), sw & 0xFF,
                          response, sw);
        }
        if (response.size() == 0) {
            break;
        }
        content += response;
        offset += response.size();
        if (!ok(sw)) {
            break; // 6282: end of file reached
        }
    }
    std::printf("EF.DIR (%u bytes):\n%s\n", content.size(), ias::AsString(content).c_str());
    return content.size() > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    void* context = NULL;
    if (ias::IASInitialize(&context) != 0) {
        std::puts("IASInitialize failed: is pcscd running?");
        return 1;
    }
    std::vector<std::string> readers = listReaders(context);
    std::printf("%u reader(s)\n", static_cast<unsigned>(readers.size()));
    for (size_t i = 0; i < readers.size(); ++i) {
        std::printf("  %s\n", readers[i].c_str());
    }
    int status = 1;
    ias::CIASCard card;
    std::string chosen;
    for (size_t i = 0; i < readers.size(); ++i) {
        if (argc > 1 && readers[i] != argv[1]) {
            continue;
        }
        std::vector<char> name(readers[i].begin(), readers[i].end());
        name.push_back('\0');
        if (ias::IASConnectA(context, &name[0], card) == 0) {
            chosen = readers[i];
            break;
        }
    }
    if (chosen.empty()) {
        std::puts("no card found");
    } else {
        try {
            std::printf("Connected to %s\nATR: %s\n", chosen.c_str(),
                        ias::AsString(card.atr()).c_str());
            const std::string pin = argc > 2 ? argv[2] : "1234";
            card.verify(kUserPinReference, ias::CBlob(pin));
            std::puts("User PIN verified");
            status = readEfDir(card);
        } catch (const ias::CIASException& e) {
            std::printf("failed: %s (class %d, error 0x%08lX, SW %04X)\n", e.descriptionA(),
                        static_cast<int>(e.errorClass()), e.error(), e.sw());
        }
    }
    ias::IASFinalize(context);
    return status;
}
