// What a transfer reads from the headers of a server's answer.
#pragma once
#include <windows.h>
#include <wininet.h>
#include <string>

// The Content-Length header as a number; 0 when it is missing or not a number.
unsigned long long ContentLength(HINTERNET response);

// The Content-Type header ("text/html; charset=utf-8"), or empty.
std::string ContentType(HINTERNET response);

// "404 Not Found" when the server answered with an error status, else empty.
std::string HttpErrorAnswer(HINTERNET response);

// The answer says "Accept-Ranges: bytes": a cut body can be asked for from where it broke.
bool OffersByteRanges(HINTERNET response);

// The answer is the rest of a body from byte `from` on: 206 with a Content-Range that starts
// there and names `total` as the body's size (any size when total is 0, unknown).
bool ContinuesAt(HINTERNET response, unsigned long long from, unsigned long long total);
