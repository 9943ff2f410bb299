#pragma once
// A list of lines: combo box items, memo lines and the like. Window translation treats it as
// one item list, line by line.
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/persistent.h"

namespace lantervo {

// Notifies "Assign" when the whole list was replaced (Assign, SetText, Clear) and "Text" when
// lines were added, changed or removed one at a time.
class TStrings : public Persistent {
  LANTERVO_CLASS()

 public:
  int Count() const { return static_cast<int>(lines_.size()); }
  const std::string& operator[](int index) const;
  const std::vector<std::string>& Lines() const { return lines_; }

  void Add(const std::string& line);
  void Insert(int index, const std::string& line);
  void Delete(int index);
  void Put(int index, const std::string& line);
  void Clear();
  void Assign(std::vector<std::string> lines);
  int IndexOf(std::string_view line) const;  // letter case ignored; -1 when absent

  // Every line followed by CR LF. Setting splits at CR LF, CR or LF; a text that ends with a
  // line break gives no extra empty line.
  std::string Text() const;
  void SetText(std::string_view text);

  // Kept sorted (ordinal, letter case ignored) while set.
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);

 private:
  void Sort();
  std::vector<std::string> lines_;
  bool sorted_ = false;
};

// Splits at CR LF, lone CR and lone LF; keepTrailingEmpty keeps the empty line after a final
// line break (a memo's contents) instead of dropping it (a list's text).
std::vector<std::string> SplitLines(std::string_view text, bool keepTrailingEmpty);

// The text as one line for a place that draws it so (a grid cell, a tooltip, a balloon): each
// run of CR, LF and TAB becomes one blank, where the platform would draw boxes or break it.
std::string OneLine(std::string_view text);

}  // namespace lantervo
