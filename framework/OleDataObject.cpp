#include "framework/OleDataObject.h"
#include <cstring>

namespace {
FORMATETC GlobalFormat(CLIPFORMAT format) {
    return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}
}  // namespace

bool OleDataObject::IsDataAvailable(CLIPFORMAT format) const {
    if (!data) return false;
    FORMATETC wanted = GlobalFormat(format);
    return data->QueryGetData(&wanted) == S_OK;
}

HGLOBAL OleDataObject::GetGlobalData(CLIPFORMAT format) const {
    if (!data) return nullptr;
    FORMATETC wanted = GlobalFormat(format);
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&wanted, &medium))) return nullptr;
    if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal) {
        ReleaseStgMedium(&medium);
        return nullptr;
    }
    if (!medium.pUnkForRelease) return medium.hGlobal;  // ours to free

    // The source keeps the block: hand out a copy the caller may free.
    SIZE_T size = GlobalSize(medium.hGlobal);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    const void* from = GlobalLock(medium.hGlobal);
    void* to = copy ? GlobalLock(copy) : nullptr;
    if (from && to) std::memcpy(to, from, size);
    if (to) GlobalUnlock(copy);
    if (from) GlobalUnlock(medium.hGlobal);
    if (copy && !(from && to)) {
        GlobalFree(copy);
        copy = nullptr;
    }
    ReleaseStgMedium(&medium);
    return copy;
}
