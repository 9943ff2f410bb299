#include "toolkit/strings.h"

#include <algorithm>

#include "platform/error.h"

namespace lantervo {

const ClassInfo& TStrings::StaticClass() {
  static const ClassInfo info("TStrings", &Persistent::StaticClass());
  return info;
}

std::vector<std::string> SplitLines(std::string_view text, bool keepTrailingEmpty) {
  std::vector<std::string> lines;
  std::string current;
  bool pending = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.push_back(std::move(current));
      current.clear();
      pending = false;
    } else {
      current.push_back(c);
      pending = true;
    }
  }
  if (pending || (keepTrailingEmpty && !text.empty())) lines.push_back(std::move(current));
  return lines;
}

namespace {

int CompareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

const std::string& TStrings::operator[](int index) const {
  if (index < 0 || index >= Count())
    throw Error("List index out of bounds (" + std::to_string(index) + ")");
  return lines_[static_cast<std::size_t>(index)];
}

void TStrings::Add(const std::string& line) {
  if (sorted_) {
    auto at = std::upper_bound(
        lines_.begin(), lines_.end(), line,
        [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    lines_.insert(at, line);
  } else {
    lines_.push_back(line);
  }
  Changed(prop::Text);
}

void TStrings::Insert(int index, const std::string& line) {
  if (sorted_) throw Error("Operation not allowed on sorted list");
  if (index < 0 || index > Count())
    throw Error("List index out of bounds (" + std::to_string(index) + ")");
  lines_.insert(lines_.begin() + index, line);
  Changed(prop::Text);
}

void TStrings::Delete(int index) {
  (void)(*this)[index];
  lines_.erase(lines_.begin() + index);
  Changed(prop::Text);
}

void TStrings::Put(int index, const std::string& line) {
  if (sorted_) throw Error("Operation not allowed on sorted list");
  (void)(*this)[index];
  if (lines_[static_cast<std::size_t>(index)] == line) return;
  lines_[static_cast<std::size_t>(index)] = line;
  Changed(prop::Text);
}

void TStrings::Clear() {
  if (lines_.empty()) return;
  lines_.clear();
  Changed(prop::Assign);
}

void TStrings::Assign(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  if (sorted_) Sort();
  Changed(prop::Assign);
}

int TStrings::IndexOf(std::string_view line) const {
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (CompareNoCase(lines_[i], line) == 0) return static_cast<int>(i);
  return -1;
}

std::string TStrings::Text() const {
  std::string text;
  for (const auto& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void TStrings::SetText(std::string_view text) {
  Assign(SplitLines(text, false));
}

void TStrings::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  if (sorted_) {
    Sort();
    Changed(prop::Text);
  }
}

void TStrings::Sort() {
  std::stable_sort(lines_.begin(), lines_.end(), [](const std::string& a, const std::string& b) {
    return CompareNoCase(a, b) < 0;
  });
}

std::string OneLine(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool inRun = false;
  for (char c : text) {
    const bool breaking = c == '\r' || c == '\n' || c == '\t';
    if (breaking && !inRun) out += ' ';
    if (!breaking) out += c;
    inRun = breaking;
  }
  return out;
}

}  // namespace lantervo
