// Form B needs the user's key-exchange pair. The Linux stand-in makes it at
// its first use; a Windows container of a new profile holds none (form B
// then fails with "CryptGetUserKey Error!"), so this test makes it, as the
// user's other software would, before the other tests of the program run.
#include "CryptTestSupport.h"

using platform::AcquireMode;
using platform::CryptAlg;
using platform::CryptContext;
using platform::CryptKey;

TEST(ExchangePair, TheUsersContainerHoldsOne)
{
    const auto provider = sharedTestProvider();
    CryptContext context {};
    ASSERT_TRUE(provider->acquireContext(AcquireMode::Existing, context)
        || provider->acquireContext(AcquireMode::NewKeySet, context))
        << provider->lastError().toStdString();
    CryptKey key {};
    // Made only where it is missing: another test may be using it.
    if (!provider->getUserExchangeKey(context, key)) {
        ASSERT_TRUE(provider->generateKey(context, CryptAlg::RsaKeyExchange, false, key))
            << provider->lastError().toStdString();
        provider->destroyKey(key);
        ASSERT_TRUE(provider->getUserExchangeKey(context, key))
            << provider->lastError().toStdString();
    }
    EXPECT_TRUE(provider->destroyKey(key));
    EXPECT_TRUE(provider->releaseContext(context));
}
