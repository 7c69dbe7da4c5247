#pragma once

#include <string>

// Character references of HTML text, as a browser shows them.
namespace html {

// UTF-8 text with its character references decoded: numeric ones ("&#39;",
// "&#x2019;", the ";" optional as browsers take it) and the named ones of
// the Latin-1 letters and the common punctuation ("&amp;", "&nbsp;",
// "&eacute;", "&rsquo;", ...), which need their ";". A number that names no
// character gives U+FFFD, 128 to 159 the Windows-1252 characters browsers
// show for them. Anything else stays as written.
std::string DecodeCharacterReferences(const std::string& utf8);

// The code point as UTF-8.
std::string Utf8Of(unsigned long codePoint);

}  // namespace html
