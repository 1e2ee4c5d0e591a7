#include "Recognition/SupportedCards.h"

#include "Zaz/PackedStringList.h"
#include "Zaz/SysConfig.h"

#include <cstring>
#include <mutex>

namespace IAS {

namespace {
const ZAZ::ByteVector g_efDir("2F00");
const ZAZ::ByteVector g_efAtr("2F01");
const ZAZ::ByteVector g_iasAidPrefix("E828BD080F");

std::mutex g_namesMutex;
std::string g_names;

struct CfgCloser {
    SYS_CfgHandle* handle;
    ~CfgCloser() { SYS_CfgClose(handle); }
};
} // namespace

const char* const kIasEccOidText = "1 3 162 15480 2";

const ZAZ::ByteVector& EfDirId() {
    return g_efDir;
}
const ZAZ::ByteVector& EfAtrId() {
    return g_efAtr;
}
const ZAZ::ByteVector& IasAidPrefix() {
    return g_iasAidPrefix;
}

std::string SupportedCardsConfigName() {
    return std::string("ZAZ/") + "ZAZIasEcc" + "/SupportedSmartCards";
}

std::string SupportedSmartCards() {
    // The library starts no threads, but its callers may probe from several.
    std::lock_guard<std::mutex> guard(g_namesMutex);
    if (!g_names.empty()) {
        return g_names;
    }
    CfgCloser cfg{SYS_CfgOpen(SupportedCardsConfigName().c_str())};
    if (cfg.handle == nullptr) {
        return std::string();
    }
    ZAZ::PackedStringList names;
    char entry[256];
    std::size_t capacity = sizeof entry;
    for (int rc = SYS_CfgFirstEntry(cfg.handle, entry, &capacity); rc == 0;
         rc = SYS_CfgNextEntry(cfg.handle, entry, &capacity)) {
        // A name as long as the buffer comes back without its terminator.
        names.append(std::string(entry, strnlen(entry, sizeof entry)));
        capacity = sizeof entry;
    }
    if (names.count() > 0) {
        g_names = names.toMultiString();
    }
    return g_names;
}

} // namespace IAS
