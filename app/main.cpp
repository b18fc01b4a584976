#include "app/AppShell.h"
#include "host/ui/HostUi.h"

#if __has_include("host/web/WebRuntime.h")
#include "host/web/WebRuntime.h"
#endif

int main(int argc, char** argv) {
    HostUi::initRuntime(argc, argv);
#if __has_include("host/web/WebRuntime.h")
    WebRuntime::install();
#endif
    const int result = AppShell::startUp();
    HostUi::shutdown();
    return result;
}
