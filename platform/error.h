#pragma once
// Failures carry the system's own message text: what() is the message, exactly.
#include <stdexcept>
#include <string>

namespace lantervo {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace lantervo
