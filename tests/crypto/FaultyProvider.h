// The real provider failing on request, and the fixture over it.
#pragma once

#include "CryptTestSupport.h"

#include <map>
#include <string>
#include <vector>

using Log = std::vector<std::string>;
using platform::CryptAlg;
using platform::CryptContext;
using platform::CryptHash;
using platform::CryptKey;
using platform::CryptoProvider;
using platform::ProductVersion;
using platform::AcquireMode;

// The real provider, failing the n-th call of one operation; logs the
// acquires and the release of the context.
class FaultyProvider final : public CryptoProvider {
public:
    FaultyProvider(std::shared_ptr<CryptoProvider> real, Log& log) : m_real(std::move(real)), m_log(log) {}

    std::string failOp;
    int failOnCall = 1;
    bool exportLengthZero = false;

    bool acquireContext(AcquireMode mode, CryptContext& c) override
    {
        m_log.push_back(mode == AcquireMode::Existing ? "acquire" : "acquire new keyset");
        return pass("acquire") && m_real->acquireContext(mode, c);
    }
// Forwards a call unless it is the one to fail.
#define FORWARD(name, params, ...) \
    bool name params override { return pass(#name) && m_real->name(__VA_ARGS__); }
    FORWARD(createHash, (CryptContext c, CryptAlg a, CryptHash& h), c, a, h)
    FORWARD(hashData, (CryptHash h, std::span<const std::uint8_t> d), h, d)
    FORWARD(deriveKey, (CryptContext c, CryptAlg a, CryptHash h, CryptKey& k), c, a, h, k)
    FORWARD(generateKey, (CryptContext c, CryptAlg a, bool e, CryptKey& k), c, a, e, k)
    FORWARD(importSimpleBlob, (CryptContext c, std::span<const std::uint8_t> b, CryptKey& k), c, b, k)
    FORWARD(encrypt, (CryptKey k, bool f, std::span<std::uint8_t> b, std::uint32_t& n), k, f, b, n)
    FORWARD(decrypt, (CryptKey k, bool f, std::span<std::uint8_t> b, std::uint32_t& n), k, f, b, n)
    FORWARD(getUserExchangeKey, (CryptContext c, CryptKey& k), c, k)
    FORWARD(destroyKey, (CryptKey k), k)
    FORWARD(destroyHash, (CryptHash h), h)
#undef FORWARD
    bool exportSimpleBlob(CryptKey k, CryptKey x, std::uint8_t* b, std::uint32_t& n) override
    {
        const bool ok = pass("exportSimpleBlob") && m_real->exportSimpleBlob(k, x, b, n);
        n = exportLengthZero ? 0 : n;
        return ok;
    }
    bool releaseContext(CryptContext c) override { return m_log.push_back("release context"), m_real->releaseContext(c); }
    ProductVersion productVersion() const override { return m_real->productVersion(); }
    QString lastError() const override { return m_real->lastError(); }

private:
    bool pass(const std::string& op) { return op != failOp || ++m_calls[op] != failOnCall; }

    std::shared_ptr<CryptoProvider> m_real;
    Log& m_log;
    std::map<std::string, int> m_calls;
};

class FileFailureTest : public CryptFileTest {
protected:
    void SetUp() override { m_env.provider = m_provider; }

    // One call that must fail with message, Crypted raised once.
    void failsWith(bool encrypting, const QString& password, const QString& message,
                   const QByteArray& input = QByteArray(2500, 'p'))
    {
        EXPECT_FALSE(crypt(encrypting, password, input));
        EXPECT_EQ(m_message, message);
        EXPECT_EQ(m_crypted, 1);
    }

    Log m_log;
    std::shared_ptr<FaultyProvider> m_provider = std::make_shared<FaultyProvider>(sharedTestProvider(), m_log);
};
