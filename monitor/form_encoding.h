#pragma once
// The URL-encoded form body of a POST.
#include <string>
#include <vector>

namespace lantervo {

// Each "name=value" line keeps its name and has its value percent-encoded; lines are joined
// with "&". Any byte outside ASCII left after that is percent-encoded too, so the body stays
// 7-bit ASCII without losing characters.
std::string EncodeForm(const std::vector<std::string>& fields);

// The percent-encoding of one form value (UTF-8 in, ASCII out).
std::string EncodeFormValue(const std::string& value);

}  // namespace lantervo
