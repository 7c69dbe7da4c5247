// How a transfer reports to whoever shows it. The engine calls these on the
// thread that runs the transfer; the implementer gets the texts to its
// window. Every operation returns 0.
#pragma once
#include <atomic>

class TransferObserver {
public:
    // TextWaiting and TextRetrying are status texts too: a connection was
    // lost and the transfer waits before asking again, and a new try begins.
    enum TextKind { TextStatus = 0, TextProgress = 2, TextWaiting = 3, TextRetrying = 4 };
    enum ProgressKind { ProgressTotal = 0, ProgressPosition = 1 };

    // The response is open and its length known; once per transfer.
    virtual int OnBegin() = 0;
    // The read loop ended normally: end of data or a stop request.
    virtual int OnEnd() = 0;
    // The text is only valid during the call (it lives in a buffer of the
    // transfer, so that no chunk costs an allocation).
    virtual int OnText(int kind, const char* text) = 0;
    // ProgressTotal: expected size in KB (0 when unknown);
    // ProgressPosition: whole KB received so far.
    virtual int OnProgress(int kind, unsigned value) = 0;

    // The job's stop request; any nonzero value stops the transfer before
    // its next read. Null when nothing can stop it.
    std::atomic<int>* abortFlag = nullptr;

protected:
    // Not deleted through this interface: the window that implements it
    // owns itself.
    ~TransferObserver() = default;
};
