#include <ias/CIASException.h>

#include "Api/Facade/Facade.h"
#include "Zaz/IsoException.h"
#include "Zaz/OsException.h"
#include "Zaz/OutOfMemory.h"
#include "Zaz/PCSCResetException.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>

using ias::CIASException;

TEST(CIASExceptionTest, CopiesOwnTheirDescriptionAndRaiseThrowsOne) {
    EXPECT_STREQ(CIASException(CIASException::IAS_ERR_LIBRARY, 1, nullptr, 0).descriptionA(),
                 "Invalid error message");
    std::unique_ptr<CIASException> original(
        new CIASException(CIASException::IAS_ERR_LIBRARY, 5, "No card handle defined", 0x9000));
    const CIASException copy(*original);
    std::unique_ptr<CIASException> cloned(original->clone());
    CIASException assigned(CIASException::IAS_ERR_RESERVED, 0, "x", 0);
    assigned = *original;
    original.reset();
    const CIASException* results[] = {&copy, cloned.get(), &assigned};
    for (const CIASException* e : results) {
        EXPECT_EQ(e->errorClass(), CIASException::IAS_ERR_LIBRARY);
        EXPECT_EQ(e->error(), 5u);
        EXPECT_EQ(e->sw(), 0x9000u);
        EXPECT_STREQ(e->descriptionA(), "No card handle defined");
    }
    try {
        copy.raise();
        FAIL() << "raise() returned";
    } catch (const CIASException& thrown) {
        EXPECT_NE(&thrown, &copy);
        EXPECT_STREQ(thrown.descriptionA(), "No card handle defined");
    }
}

namespace {
template <class Exception> CIASException convert(const Exception& internal) {
    try {
        ias::Guarded([&] { throw internal; });
    } catch (const CIASException& e) {
        return e;
    }
    ADD_FAILURE() << "no CIASException";
    return CIASException(CIASException::IAS_ERR_RESERVED, 0, "", 0);
}
} // namespace

TEST(BoundaryTest, ConvertsInternalExceptionsToClassTwoOnly) {
    struct Expected {
        unsigned long error;
        unsigned int sw;
        const char* description;
    };
    const struct {
        CIASException converted;
        Expected expected;
    } rows[] = {
        {convert(ZAZ::IsoException(0x6A82, "IsoException")), {0, 0x6A82, "IsoException"}},
        {convert(ZAZ::PCSCResetException(1, 0x80100068, "PCSCResetException")),
         {0x80100068, 0, "PCSCResetException. Error code = 0x80100068"}},
        {convert(ZAZ::OsException(2, "open failed = 0x10")), {0x10, 0, "open failed = 0x10"}},
        {convert(ZAZ::OutOfMemory("Not enough memory in ByteVector Allocation")),
         {0, 0, "Not enough memory in ByteVector Allocation"}},
        {convert(ZAZ::CardFrameworkException("Illegal parameter in function call.")),
         {0, 0, "Illegal parameter in function call."}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected.description);
        EXPECT_EQ(row.converted.errorClass(), CIASException::IAS_ERR_CARD_FRAMEWORK);
        EXPECT_EQ(row.converted.error(), row.expected.error);
        EXPECT_EQ(row.converted.sw(), row.expected.sw);
        EXPECT_STREQ(row.converted.descriptionA(), row.expected.description);
    }
    // other exceptions pass unchanged
    EXPECT_THROW(ias::Guarded([] { throw std::bad_alloc(); }), std::bad_alloc);
    try {
        ias::Guarded([] { throw CIASException(CIASException::IAS_ERR_LIBRARY, 1, "inner", 0); });
        ADD_FAILURE() << "the inner exception was swallowed";
    } catch (const CIASException& e) {
        EXPECT_EQ(e.errorClass(), CIASException::IAS_ERR_LIBRARY);
        EXPECT_STREQ(e.descriptionA(), "inner");
    }
    EXPECT_EQ(ias::Guarded([] { return 7; }), 7);
}
