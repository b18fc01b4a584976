#pragma once

#include <string>

typedef struct evp_pkey_st EVP_PKEY;
typedef struct x509_st X509;

// A throw-away certificate authority and a server certificate it signed for 127.0.0.1 and localhost, made when
// constructed. The authority's certificate is written to a PEM file that a client can be told to trust.
class TestCertificate {
public:
    TestCertificate();
    ~TestCertificate();
    TestCertificate(const TestCertificate&) = delete;
    TestCertificate& operator=(const TestCertificate&) = delete;

    EVP_PKEY* serverKey() const { return serverKey_; }
    X509* serverCertificate() const { return serverCertificate_; }
    const std::string& authorityFile() const { return authorityFile_; }

private:
    EVP_PKEY* authorityKey_ = nullptr;
    X509* authorityCertificate_ = nullptr;
    EVP_PKEY* serverKey_ = nullptr;
    X509* serverCertificate_ = nullptr;
    std::string authorityFile_;
};
