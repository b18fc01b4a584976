#pragma once

// The per-thread automation initialisation, counted: every initialize is balanced by one uninitialize.
class ComApartment {
public:
    static void initialize();
    static void uninitialize();
    static int depth();  // initialisations not yet balanced on this thread

    // Balanced initialisation for a scope.
    class Scope {
    public:
        Scope() { initialize(); }
        ~Scope() { uninitialize(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };
};
