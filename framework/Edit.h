// An edit control bound to its object.
#pragma once
#include "framework/Wnd.h"

class Edit : public Wnd {
public:
    FH_DECLARE_RUNTIME_CLASS(Edit, Wnd)
};
