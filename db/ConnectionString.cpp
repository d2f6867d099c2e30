#include "db/ConnectionString.h"

#include <algorithm>
#include <cctype>

#include "db/Ado.h"
#include "db/DbError.h"

namespace db {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

bool SameKey(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

enum class Issue { None, NoEquals, EmptyKey, UnclosedQuote, TextAfterQuote, UnclosedBrace };

// One Key=Value pair as found in the text. Positions are offsets into the text.
struct Scanned {
  std::size_t begin = 0, end = 0;            // the pair with its ';'
  std::size_t valueBegin = 0, valueEnd = 0;  // the value as written (quotes included)
  std::string key, value;                    // value decoded
  Issue issue = Issue::None;
};

// The one scanner of the syntax, lenient: a pair with an issue still gets an
// extent, so the caller decides whether to refuse it (Parse) or go on (masking).
class Scanner {
 public:
  explicit Scanner(std::string_view text) : s_(text) {}

  // False at the end of the text; empty pairs (";;") are skipped.
  bool Next(Scanned& p) {
    while (pos_ < s_.size()) {
      p = Scanned{};
      p.begin = pos_;
      SkipBlanks();
      if (pos_ < s_.size() && s_[pos_] == ';') { ++pos_; continue; }
      if (pos_ >= s_.size()) return false;
      ScanPair(p);
      return true;
    }
    return false;
  }

 private:
  void SkipBlanks() { while (pos_ < s_.size() && IsBlank(s_[pos_])) ++pos_; }

  void ScanPair(Scanned& p) {
    const std::size_t keyBegin = pos_;
    while (pos_ < s_.size() && s_[pos_] != '=' && s_[pos_] != ';') ++pos_;
    p.key = std::string(Trim(s_.substr(keyBegin, pos_ - keyBegin)));
    if (pos_ >= s_.size() || s_[pos_] == ';') {
      p.issue = Issue::NoEquals;
      p.valueBegin = p.valueEnd = pos_;
      Finish(p);
      return;
    }
    ++pos_;  // '='
    if (p.key.empty()) p.issue = Issue::EmptyKey;
    SkipBlanks();
    p.valueBegin = pos_;
    const char c = pos_ < s_.size() ? s_[pos_] : '\0';
    if (c == '"' || c == '\'') ScanQuoted(p, c);
    else if (c == '{') ScanBraced(p);
    else ScanPlain(p);
  }

  void ScanPlain(Scanned& p) {
    while (pos_ < s_.size() && s_[pos_] != ';') ++pos_;
    p.value = std::string(Trim(s_.substr(p.valueBegin, pos_ - p.valueBegin)));
    p.valueEnd = p.valueBegin + p.value.size();
    Finish(p);
  }

  // A doubled quote inside stands for one.
  void ScanQuoted(Scanned& p, char q) {
    ++pos_;
    for (;;) {
      if (pos_ >= s_.size()) return Unclosed(p, Issue::UnclosedQuote);
      if (s_[pos_] == q) {
        if (pos_ + 1 < s_.size() && s_[pos_ + 1] == q) { p.value += q; pos_ += 2; continue; }
        ++pos_;
        break;
      }
      p.value += s_[pos_++];
    }
    AfterClosing(p);
  }

  // ODBC's braces, kept verbatim for the driver; "}}" inside stands for '}'.
  void ScanBraced(Scanned& p) {
    ++pos_;
    for (;;) {
      if (pos_ >= s_.size()) return Unclosed(p, Issue::UnclosedBrace);
      if (s_[pos_] == '}') {
        if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '}') { pos_ += 2; continue; }
        ++pos_;
        break;
      }
      ++pos_;
    }
    p.value = std::string(s_.substr(p.valueBegin, pos_ - p.valueBegin));
    AfterClosing(p);
  }

  void Unclosed(Scanned& p, Issue issue) {
    p.issue = issue;
    p.valueEnd = pos_;
    Finish(p);
  }

  // Only blanks may follow the closing quote; anything else up to ';' joins the
  // value's extent, so that masking covers it too.
  void AfterClosing(Scanned& p) {
    p.valueEnd = pos_;
    SkipBlanks();
    if (pos_ < s_.size() && s_[pos_] != ';') {
      if (p.issue == Issue::None) p.issue = Issue::TextAfterQuote;
      while (pos_ < s_.size() && s_[pos_] != ';') ++pos_;
      p.valueEnd = p.valueBegin + Trim(s_.substr(p.valueBegin, pos_ - p.valueBegin)).size();
    }
    Finish(p);
  }

  void Finish(Scanned& p) {
    if (pos_ < s_.size() && s_[pos_] == ';') ++pos_;
    p.end = pos_;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

DbError Malformed(const Scanned& p) {
  const std::string where = " (carattere " + std::to_string(p.begin + 1) + ")";
  const std::string key = "\"" + p.key + "\"";
  std::string what;
  switch (p.issue) {
    // The text of a pair without '=' may be a mistyped secret: it is not repeated.
    case Issue::NoEquals: what = "manca '=' in una coppia chiave=valore"; break;
    case Issue::EmptyKey: what = "chiave vuota prima di '='"; break;
    case Issue::UnclosedQuote: what = "virgolette non chiuse nel valore di " + key; break;
    case Issue::TextAfterQuote: what = "testo dopo le virgolette di chiusura nel valore di " + key; break;
    case Issue::UnclosedBrace: what = "parentesi graffa non chiusa nel valore di " + key; break;
    case Issue::None: break;
  }
  return DbError(adErrInvalidArgument, "Stringa di connessione non valida: " + what + where, ErrorKind::InvalidArgument);
}

bool IsPasswordKey(std::string_view key) {
  if (SameKey(key, "pwd")) return true;
  constexpr std::string_view kPassword = "password";  // also "Database Password" and the like
  return key.size() >= kPassword.size() && SameKey(key.substr(key.size() - kPassword.size()), kPassword);
}

// The non-empty passwords of a text, as the engine gets them.
std::vector<std::string> PasswordValues(std::string_view text) {
  std::vector<std::string> out;
  Scanner scanner(text);
  Scanned p;
  while (scanner.Next(p))
    if (p.issue == Issue::None && IsPasswordKey(p.key) && !Unbraced(p.value).empty()) out.push_back(Unbraced(p.value));
  return out;
}

}  // namespace

ConnectionString ConnectionString::Parse(std::string_view text) {
  ConnectionString cs;
  cs.text_ = std::string(text);
  Scanner scanner(text);
  Scanned p;
  while (scanner.Next(p)) {
    if (p.issue != Issue::None) throw Malformed(p);
    cs.pairs_.emplace_back(std::move(p.key), std::move(p.value));
    cs.spans_.emplace_back(p.begin, p.end);
  }
  return cs;
}

std::optional<std::string> ConnectionString::Get(std::string_view key) const {
  for (auto it = pairs_.rbegin(); it != pairs_.rend(); ++it)
    if (SameKey(it->first, key)) return it->second;
  return std::nullopt;
}

std::optional<std::string> ConnectionString::GetAny(std::initializer_list<std::string_view> keys) const {
  for (std::string_view k : keys)
    if (auto v = Get(k)) return v;
  return std::nullopt;
}

std::string ConnectionString::WithoutProvider() const {
  std::string out;
  std::size_t from = 0;
  for (std::size_t i = 0; i < pairs_.size(); ++i) {
    if (!SameKey(pairs_[i].first, "Provider")) continue;
    out.append(text_, from, spans_[i].first - from);
    from = spans_[i].second;
  }
  out.append(text_, from, std::string::npos);
  return out;
}

std::string MaskPasswords(std::string_view text) {
  const std::vector<std::string> passwords = PasswordValues(text);
  std::string out;
  std::size_t from = 0;
  bool afterPassword = false;
  Scanner scanner(text);
  Scanned p;
  while (scanner.Next(p)) {
    // A password with a ';' left unquoted reads as the password and pieces without
    // '=': the mask covers those pieces too.
    if (afterPassword && p.issue == Issue::NoEquals) {
      from = p.valueEnd;
      continue;
    }
    afterPassword = false;
    if (p.issue == Issue::NoEquals || p.valueEnd == p.valueBegin) continue;
    // The password written as another value as well (a user, a port) goes there too.
    const bool password = IsPasswordKey(p.key);
    if (!password && std::find(passwords.begin(), passwords.end(), Unbraced(p.value)) == passwords.end()) continue;
    out.append(text.substr(from, p.valueBegin - from));
    out += "********";  // a fixed length: the mask tells nothing of the password
    from = p.valueEnd;
    afterPassword = password;
  }
  out.append(text.substr(from));
  return out;
}

std::string Unbraced(std::string_view value) {
  if (value.size() < 2 || value.front() != '{' || value.back() != '}') return std::string(value);
  std::string out;
  for (std::size_t i = 1; i + 1 < value.size(); ++i) {
    out += value[i];
    if (value[i] == '}' && value[i + 1] == '}') ++i;
  }
  return out;
}

std::string QuoteValue(std::string_view value) {
  const bool plain = value.find_first_of(";\"'") == std::string_view::npos &&
                     (value.empty() || (!IsBlank(value.front()) && !IsBlank(value.back()) && value.front() != '{'));
  if (plain) return std::string(value);
  const char q = value.find('"') == std::string_view::npos || value.find('\'') != std::string_view::npos ? '"' : '\'';
  std::string out(1, q);
  for (char c : value) {
    out += c;
    if (c == q) out += c;
  }
  out += q;
  return out;
}

}  // namespace db
