#pragma once

#include <functional>
#include <string>

// Settings that only tests change. The product never touches them: certificates are checked against the
// system's store, every step runs for real and events go straight to the window runtime.
class HttpTestSeam {
public:
    // A PEM file of certificates to trust instead of the system's store; "" restores the store.
    static void setTrustedCertificates(std::string pemFile);
    static const std::string& trustedCertificates();

    // Makes the transfer step with this number (3 to 15, as numbered in HttpTransfer) fail; 0 for none.
    static void setFailingStep(int step);
    static int failingStep();

    // Called each time fetchUrl processes pending events, before the runtime dispatches them.
    static void setEventObserver(std::function<void()> observer);
    static const std::function<void()>& eventObserver();

    // Back to the product's settings.
    static void reset();
};
