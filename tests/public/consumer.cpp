// Built as C++11 against the installed-style include tree and linked with
// libias.so alone: the public API must be usable without any internal header.
#include <ias/ias.h>

#include <cstdio>
#include <cstring>

int main() {
    ias::CBlob blob = ias::_HB("3F 00");
    if (ias::AsString(blob) != "3F 00 ") {
        std::puts("formatting failed");
        return 1;
    }
    try {
        (void)blob[2];
        std::puts("out-of-range index accepted");
        return 1;
    } catch (const ias::CIASException& e) {
        if (e.errorClass() != ias::CIASException::IAS_ERR_CARD_FRAMEWORK ||
            std::strcmp(e.descriptionA(), "Illegal parameter in function call.") != 0) {
            std::puts("unexpected exception contents");
            return 1;
        }
    }
    std::puts("consumer ok");
    return 0;
}
