#include "sha256.h"

#include <QCryptographicHash>

#include <openssl/evp.h>

namespace {

// The digest's implementation, looked up once: a lookup by name on every
// call costs more than the digest of a small file.
const EVP_MD *sha256Method()
{
    static EVP_MD *method = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    return method;
}

} // namespace

QByteArray checksumAfterTag(const QByteArray &bytes)
{
    const int start = bytes.indexOf("</checksum>");
    if (start < 0)
        return QByteArray();
    return sha256Hex(bytes.constData() + start, bytes.size() - start);
}

QByteArray sha256Hex(const char *data, qsizetype size)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (const EVP_MD *method = sha256Method()) {
        if (EVP_Digest(data, size_t(size), digest, &length, method, nullptr) == 1 && length == 32)
            return QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex();
    }
    // A library that cannot give the digest (no SHA-256 in its providers):
    // Qt's own, which always can.
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(data, int(size));
    return hash.result().toHex();
}
