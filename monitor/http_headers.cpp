#include "monitor/http_headers.h"

#include "monitor/ascii.h"

namespace lantervo {

void HttpHeaders::AddLine(std::string_view line) {
  if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
    // A folded line continues the value of the line before it.
    std::string_view more = TrimBlanks(line);
    if (!fields_.empty() && !more.empty()) {
      std::string& value = fields_.back().second;
      value += value.empty() ? "" : " ";
      value += more;
    }
    return;
  }
  std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return;
  fields_.emplace_back(std::string(TrimBlanks(line.substr(0, colon))),
                       std::string(TrimBlanks(line.substr(colon + 1))));
}

const std::string* HttpHeaders::Find(std::string_view name) const {
  for (const Field& field : fields_) {
    if (EqualsIgnoreCase(field.first, name)) return &field.second;
  }
  return nullptr;
}

std::string HttpHeaders::Value(std::string_view name) const {
  const std::string* value = Find(name);
  return value ? *value : std::string();
}

}  // namespace lantervo
