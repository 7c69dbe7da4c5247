// The data of an OLE drag, as the drop hooks see it. Does not own the
// IDataObject: it is valid for the duration of one notification.
#pragma once
#include <windows.h>
#include <ole2.h>

class OleDataObject {
public:
    explicit OleDataObject(IDataObject* data = nullptr) : data(data) {}

    IDataObject* Get() const { return data; }
    // True when the data is offered in the format as a global memory block.
    bool IsDataAvailable(CLIPFORMAT format) const;
    // A global memory block holding the data in the format, which the
    // caller frees with GlobalFree; null when the data cannot be had.
    HGLOBAL GetGlobalData(CLIPFORMAT format) const;

private:
    IDataObject* data;
};
