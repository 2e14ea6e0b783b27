#include "sha256.h"

#include <QCryptographicHash>

#include <openssl/evp.h>

QByteArray sha256Hex(const char *data, qsizetype size)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(data, size_t(size), digest, &length, EVP_sha256(), nullptr) == 1 && length == 32)
        return QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex();
    // A library that cannot give the digest (no SHA-256 in its provider):
    // Qt's own, which always can.
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(data, int(size));
    return hash.result().toHex();
}
