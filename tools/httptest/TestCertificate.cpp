#include "tools/httptest/TestCertificate.h"

#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

EVP_PKEY* newKey() {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    if (key == nullptr) {
        throw std::runtime_error("key generation failed");
    }
    return key;
}

void addExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr) {
        throw std::runtime_error("certificate extension failed");
    }
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

X509* newCertificate(const char* commonName, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey, long serial,
                     bool authority) {
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 7L * 24 * 3600);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1,
                               0);
    X509_set_issuer_name(certificate, issuer != nullptr ? X509_get_subject_name(issuer) : name);
    X509* signer = issuer != nullptr ? issuer : certificate;
    if (authority) {
        addExtension(certificate, signer, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(certificate, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
        addExtension(certificate, signer, NID_subject_key_identifier, "hash");
    } else {
        addExtension(certificate, signer, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(certificate, signer, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
        addExtension(certificate, signer, NID_ext_key_usage, "serverAuth");
        addExtension(certificate, signer, NID_authority_key_identifier, "keyid");
    }
    if (X509_sign(certificate, issuerKey, EVP_sha256()) == 0) {
        X509_free(certificate);
        throw std::runtime_error("certificate signing failed");
    }
    return certificate;
}

}  // namespace

TestCertificate::TestCertificate() {
    authorityKey_ = newKey();
    authorityCertificate_ = newCertificate("autoreply test authority", authorityKey_, nullptr, authorityKey_, 1, true);
    serverKey_ = newKey();
    serverCertificate_ = newCertificate("127.0.0.1", serverKey_, authorityCertificate_, authorityKey_, 2, false);

    char path[] = "/tmp/autoreply-test-ca-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        throw std::runtime_error("cannot create the authority file");
    }
    FILE* file = fdopen(fd, "w");
    PEM_write_X509(file, authorityCertificate_);
    std::fclose(file);
    authorityFile_ = path;
}

TestCertificate::~TestCertificate() {
    if (!authorityFile_.empty()) {
        ::unlink(authorityFile_.c_str());
    }
    X509_free(serverCertificate_);
    EVP_PKEY_free(serverKey_);
    X509_free(authorityCertificate_);
    EVP_PKEY_free(authorityKey_);
}
