// The entry functions of the library context against the running pcscd.
#include <ias/ias.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

using namespace ias;

namespace {

/// A context object shaped like the library's, with a chosen first word.
struct FakeContext {
    std::uint32_t magic;
    long pcscContext;
    std::uint32_t ownerPid;
};

class EntryFunctionsIT : public ::testing::Test {
protected:
    void TearDown() override {
        if (context != nullptr) {
            EXPECT_EQ(IASFinalize(context), IAS_S_OK);
        }
    }
    void* context = nullptr;
};

} // namespace

TEST_F(EntryFunctionsIT, InitializeFinalizeAndTheDoubleInitialization) {
    ASSERT_EQ(IASInitialize(&context), IAS_S_OK);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(*static_cast<std::uint32_t*>(context), 0x0000DEADu);

    void* second = nullptr;
    EXPECT_EQ(IASInitialize(&second), IAS_E_ALREADY_INITIALIZED);
    EXPECT_EQ(second, nullptr);

    EXPECT_EQ(IASFinalize(context), IAS_S_OK);
    // Finalized: the process no longer holds a context.
    EXPECT_EQ(IASFinalize(context), IAS_E_INVALID_CONTEXT);
    unsigned long length = 0;
    EXPECT_EQ(IASListReadersA(context, nullptr, &length), IAS_E_INVALID_CONTEXT);
    context = nullptr;

    ASSERT_EQ(IASInitialize(&context), IAS_S_OK);
}

TEST_F(EntryFunctionsIT, ArgumentAndContextChecksComeInTheirOrder) {
    unsigned long length = 0;
    EXPECT_EQ(IASInitialize(nullptr), IAS_E_FAILED);
    EXPECT_EQ(IASFinalize(nullptr), IAS_E_FAILED);
    EXPECT_EQ(IASListReadersA(nullptr, nullptr, &length), IAS_E_INVALID_CONTEXT);

    FakeContext wrongMagic{0xBEEF, 0, static_cast<std::uint32_t>(getpid())};
    // Not initialized: the process check comes first.
    EXPECT_EQ(IASFinalize(&wrongMagic), IAS_E_INVALID_CONTEXT);

    ASSERT_EQ(IASInitialize(&context), IAS_S_OK);
    EXPECT_EQ(IASFinalize(&wrongMagic), IAS_E_FAILED);
    EXPECT_EQ(IASListReadersA(&wrongMagic, nullptr, &length), IAS_E_INVALID_CONTEXT);

    FakeContext otherOwner{0xDEAD, 0, static_cast<std::uint32_t>(getpid()) + 1};
    EXPECT_EQ(IASFinalize(&otherOwner), IAS_E_INVALID_CONTEXT);
    EXPECT_EQ(IASListReadersA(&otherOwner, nullptr, &length), IAS_E_INVALID_CONTEXT);

    EXPECT_EQ(IASListReadersA(context, nullptr, nullptr), IAS_E_FAILED);

    IASINFO info;
    std::memset(&info, 0xAB, sizeof info);
    EXPECT_EQ(IASGetInfo(nullptr), IAS_E_FAILED);
    EXPECT_EQ(IASGetInfo(&info), IAS_S_OK);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&info);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 0);
    for (std::size_t i = 2; i < sizeof info; ++i) {
        EXPECT_EQ(bytes[i], 0xAB) << i;
    }
}

TEST_F(EntryFunctionsIT, ListsReadersWithLengthQueryAndSmallBuffers) {
    ASSERT_EQ(IASInitialize(&context), IAS_S_OK);

    unsigned long needed = 0;
    ASSERT_EQ(IASListReadersA(context, nullptr, &needed), IAS_S_OK);
    ASSERT_GT(needed, 2u);

    std::vector<char> readers(needed, 'x');
    unsigned long length = needed;
    ASSERT_EQ(IASListReadersA(context, readers.data(), &length), IAS_S_OK);
    EXPECT_EQ(length, needed);
    EXPECT_EQ(readers[needed - 1], '\0');
    EXPECT_EQ(readers[needed - 2], '\0');
    const std::string names(readers.data(), needed);
    EXPECT_NE(names.find(std::string("Virtual PCD 00 00\0", 18)), std::string::npos);
    EXPECT_NE(names.find(std::string("Virtual PCD 00 01\0", 18)), std::string::npos);

    std::vector<char> small(needed - 1, 'x');
    length = needed - 1;
    EXPECT_EQ(IASListReadersA(context, small.data(), &length), IAS_E_INSUFFICIENT_BUFFER);
    EXPECT_EQ(small[0], '\0'); // cleared before PC/SC was asked
}

TEST_F(EntryFunctionsIT, ContextIsRefusedInAForkedChild) {
    ASSERT_EQ(IASInitialize(&context), IAS_S_OK);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Report each result as one bit of the exit status: set when wrong.
        unsigned long length = 0;
        int wrong = 0;
        wrong |= IASListReadersA(context, nullptr, &length) != IAS_E_INVALID_CONTEXT ? 1 : 0;
        wrong |= IASFinalize(context) != IAS_E_INVALID_CONTEXT ? 2 : 0;
        void* own = nullptr;
        // The child holds no context, so it may open its own.
        wrong |= IASInitialize(&own) != IAS_S_OK ? 4 : 0;
        wrong |= IASFinalize(own) != IAS_S_OK ? 8 : 0;
        _exit(wrong);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    // The parent's context is untouched.
    unsigned long length = 0;
    EXPECT_EQ(IASListReadersA(context, nullptr, &length), IAS_S_OK);
}
