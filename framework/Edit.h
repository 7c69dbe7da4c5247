// An edit control bound to its object.
#pragma once
#include "framework/Wnd.h"

class Edit : public Wnd {
public:
    static inline const RuntimeClass classRecord = { "Edit", &Wnd::classRecord };
    const RuntimeClass* GetRuntimeClass() const override { return &classRecord; }
};
