#include "tests/i18n/literal_scanner.h"

#include <algorithm>
#include <cctype>

namespace lantervo::test {

namespace {

bool IsIdent(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

unsigned HexValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  return static_cast<unsigned>(std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
}

class Scanner {
 public:
  explicit Scanner(std::string_view s) : s_(s) {}

  std::vector<TranslatedLiteral> Run() {
    while (i_ < s_.size()) {
      if (SkipCommentOrSpace()) continue;
      std::string ignored;
      if (ReadLiteral(ignored)) continue;
      const char c = s_[i_];
      if (c == '\'' && i_ > 0 && std::isxdigit(static_cast<unsigned char>(s_[i_ - 1]))) {
        ++i_;  // a digit separator, as in 1'000
      } else if (c == '\'') {
        SkipQuoted('\'');
      } else if (IsIdent(c)) {
        const std::size_t start = i_;
        while (i_ < s_.size() && IsIdent(s_[i_])) ++i_;
        const std::string_view word = s_.substr(start, i_ - start);
        if (word == "TranslateText") Call(false);
        if (word == "TranslatePlural") Call(true);
      } else {
        ++i_;
      }
    }
    return std::move(found_);
  }

 private:
  void Step() {
    if (s_[i_] == '\n') ++line_;
    ++i_;
  }

  bool SkipCommentOrSpace() {
    if (std::isspace(static_cast<unsigned char>(s_[i_]))) {
      Step();
      return true;
    }
    if (s_.substr(i_, 2) == "//") {
      while (i_ < s_.size() && s_[i_] != '\n') ++i_;
      return true;
    }
    if (s_.substr(i_, 2) == "/*") {
      i_ += 2;
      while (i_ < s_.size() && s_.substr(i_, 2) != "*/") Step();
      i_ = std::min(i_ + 2, s_.size());
      return true;
    }
    return false;
  }

  void SkipSpace() {
    while (i_ < s_.size() && SkipCommentOrSpace()) {
    }
  }

  void SkipQuoted(char quote) {
    ++i_;
    while (i_ < s_.size() && s_[i_] != quote && s_[i_] != '\n') i_ += s_[i_] == '\\' ? 2 : 1;
    ++i_;
  }

  // A string literal (plain, u8/u/U/L prefixed, or raw) at the cursor: decoded into `out`.
  bool ReadLiteral(std::string& out) {
    std::size_t at = i_;
    // Prefixes count only at the start of a word.
    const bool wordStart = at == 0 || !IsIdent(s_[at - 1]);
    if (wordStart) {
      for (std::string_view prefix : {"u8", "u", "U", "L"})
        if (s_.substr(at, prefix.size()) == prefix && (s_.substr(at + prefix.size(), 1) == "\"" ||
                                                       s_.substr(at + prefix.size(), 2) == "R\"")) {
          at += prefix.size();
          break;
        }
    }
    if (wordStart && s_.substr(at, 2) == "R\"") {
      const std::size_t open = s_.find('(', at + 2);
      if (open == std::string_view::npos) return false;
      const std::string close = ")" + std::string(s_.substr(at + 2, open - at - 2)) + "\"";
      const std::size_t end = s_.find(close, open + 1);
      if (end == std::string_view::npos) return false;
      out.append(s_.substr(open + 1, end - open - 1));
      while (i_ < end + close.size()) Step();
      return true;
    }
    if (s_.substr(at, 1) != "\"") return false;
    i_ = at + 1;
    while (i_ < s_.size() && s_[i_] != '"' && s_[i_] != '\n') {
      if (s_[i_] != '\\') {
        out.push_back(s_[i_++]);
        continue;
      }
      ++i_;
      if (i_ >= s_.size()) break;
      const char e = s_[i_++];
      switch (e) {
        case 'n':
          out.push_back('\n');
          break;
        case 't':
          out.push_back('\t');
          break;
        case 'r':
          out.push_back('\r');
          break;
        case 'a':
          out.push_back('\a');
          break;
        case 'b':
          out.push_back('\b');
          break;
        case 'f':
          out.push_back('\f');
          break;
        case 'v':
          out.push_back('\v');
          break;
        case 'x': {
          unsigned v = 0;
          while (i_ < s_.size() && std::isxdigit(static_cast<unsigned char>(s_[i_])))
            v = v * 16 + HexValue(s_[i_++]);
          out.push_back(static_cast<char>(v & 0xff));
          break;
        }
        default:
          if (e >= '0' && e <= '7') {
            unsigned v = static_cast<unsigned>(e - '0');
            for (int k = 0; k < 2 && i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '7'; ++k)
              v = v * 8 + static_cast<unsigned>(s_[i_++] - '0');
            out.push_back(static_cast<char>(v & 0xff));
          } else {
            out.push_back(e);  // \\ \" \' \?
          }
      }
    }
    ++i_;
    return true;
  }

  // One argument made only of adjacent literals, ended by ',' or ')'.
  bool LiteralArgument(std::string& out) {
    SkipSpace();
    bool any = false;
    while (i_ < s_.size() && ReadLiteral(out)) {
      any = true;
      SkipSpace();
    }
    return any && i_ < s_.size() && (s_[i_] == ',' || s_[i_] == ')');
  }

  void Call(bool plural) {
    SkipSpace();
    if (i_ >= s_.size() || s_[i_] != '(') return;
    const int line = line_;
    ++i_;
    std::string id;
    if (!LiteralArgument(id)) return;
    if (plural) {
      if (s_[i_] != ',') return;
      ++i_;
      std::string second;
      if (!LiteralArgument(second)) return;
      id.push_back('\0');
      id += second;
    }
    std::string cleaned;
    for (char c : id)
      if (c != '\r') cleaned.push_back(c);
    found_.push_back({cleaned, line, plural});
  }

  std::string_view s_;
  std::size_t i_ = 0;
  int line_ = 1;
  std::vector<TranslatedLiteral> found_;
};

}  // namespace

std::vector<TranslatedLiteral> FindTranslatedLiterals(std::string_view source) {
  return Scanner(source).Run();
}

}  // namespace lantervo::test
