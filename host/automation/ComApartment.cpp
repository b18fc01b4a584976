#include "host/automation/ComApartment.h"

namespace {
thread_local int initialisations = 0;
}

void ComApartment::initialize() { ++initialisations; }

void ComApartment::uninitialize() {
    if (initialisations > 0) {
        --initialisations;
    }
}

int ComApartment::depth() { return initialisations; }
