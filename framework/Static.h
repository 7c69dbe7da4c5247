// A static control bound to its object.
#pragma once
#include "framework/Wnd.h"

class Static : public Wnd {
public:
    static inline const RuntimeClass classRecord = { "Static", &Wnd::classRecord };
    const RuntimeClass* GetRuntimeClass() const override { return &classRecord; }
};
