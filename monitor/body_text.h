#pragma once
// A response body as program text, by the charset of its "Content-Type".
#include <string>
#include <string_view>

namespace lantervo {

// The charset value of a "Content-Type" value; empty without one.
std::string CharsetOf(std::string_view contentType);

// UTF-8 when the charset is "UTF-8" or "UTF8" (any case; malformed sequences become U+FFFD),
// otherwise one character per byte with the byte's code (ISO-8859-1). The result is UTF-8.
std::string BodyToText(std::string body, std::string_view contentType);

}  // namespace lantervo
