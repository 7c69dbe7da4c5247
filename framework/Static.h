// A static control bound to its object.
#pragma once
#include "framework/Wnd.h"

class Static : public Wnd {
public:
    FH_DECLARE_RUNTIME_CLASS(Static, Wnd)
};
