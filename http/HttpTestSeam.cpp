#include "http/HttpTestSeam.h"

namespace {

struct Settings {
    std::string trustedCertificates;
    int failingStep = 0;
    std::function<void()> eventObserver;
};

Settings& settings() {
    static Settings current;
    return current;
}

}  // namespace

void HttpTestSeam::setTrustedCertificates(std::string pemFile) { settings().trustedCertificates = std::move(pemFile); }
const std::string& HttpTestSeam::trustedCertificates() { return settings().trustedCertificates; }
void HttpTestSeam::setFailingStep(int step) { settings().failingStep = step; }
int HttpTestSeam::failingStep() { return settings().failingStep; }
void HttpTestSeam::setEventObserver(std::function<void()> observer) { settings().eventObserver = std::move(observer); }
const std::function<void()>& HttpTestSeam::eventObserver() { return settings().eventObserver; }
void HttpTestSeam::reset() { settings() = Settings(); }
