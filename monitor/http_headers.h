#pragma once
// Response header lines in the order received; names match in any letter case.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lantervo {

class HttpHeaders {
 public:
  using Field = std::pair<std::string, std::string>;

  // Takes one header line: "Name: value", or a continuation of the previous line.
  void AddLine(std::string_view line);
  // The first header with this name (when a header occurs twice, the first counts).
  const std::string* Find(std::string_view name) const;
  std::string Value(std::string_view name) const;
  const std::vector<Field>& Fields() const { return fields_; }

 private:
  std::vector<Field> fields_;
};

}  // namespace lantervo
