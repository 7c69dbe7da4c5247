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

// In a class body: declares its record and the virtual accessor.
#define FH_DECLARE_RUNTIME_CLASS() \
    static const RuntimeClass classRecord; \
    const RuntimeClass* GetRuntimeClass() const override { return &classRecord; }

// In a source file: defines the record with its base class's record.
#define FH_IMPLEMENT_RUNTIME_CLASS(Class, Base) \
    const RuntimeClass Class::classRecord = { #Class, &Base::classRecord };
