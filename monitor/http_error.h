#pragma once
// A failed HTTP call; the message is the status line or the socket error text.
#include <string>
#include <utility>

#include "platform/error.h"

namespace lantervo {

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
