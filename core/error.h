#pragma once
// Failures carry the system's own message text: what() is the message, exactly.
#include <stdexcept>
#include <string>

namespace lantervo {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A failed HTTP call; the message is the status line or the socket error text.
class HttpError : public Error {
 public:
  explicit HttpError(const std::string& message, int statusCode = 0, std::string errorBody = {})
      : Error(message), statusCode_(statusCode), errorBody_(std::move(errorBody)) {}
  int StatusCode() const { return statusCode_; }
  const std::string& ErrorBody() const { return errorBody_; }

 private:
  int statusCode_;
  std::string errorBody_;
};

}  // namespace lantervo
