// A small run-time class record, for the one place that must ask whether a
// window object is of a given kind without knowing its exact class.
#pragma once

struct RuntimeClass {
    const char* name;
    const RuntimeClass* base;

    bool IsDerivedFrom(const RuntimeClass* other) const {
        for (const RuntimeClass* c = this; c; c = c->base)
            if (c == other) return true;
        return false;
    }
};

// In a class body: its record, chained to its base class's, and the
// virtual accessor. Defined in the body so that classes that live in a
// header alone need no source file for it.
#define FH_DECLARE_RUNTIME_CLASS(Class, Base)                                    \
    static inline const RuntimeClass classRecord = {#Class, &Base::classRecord}; \
    const RuntimeClass* GetRuntimeClass() const override {                       \
        return &classRecord;                                                     \
    }

// The same for the root of a hierarchy.
#define FH_DECLARE_ROOT_RUNTIME_CLASS(Class)                          \
    static inline const RuntimeClass classRecord = {#Class, nullptr}; \
    virtual const RuntimeClass* GetRuntimeClass() const {             \
        return &classRecord;                                          \
    }
