#include "db/SqlText.h"

#include <algorithm>
#include <cctype>

namespace db::sql {

namespace {

enum class Kind { Space, Word, Quoted, String, Punct, Bad };

struct Token {
  Kind kind;
  std::string_view text;  // for Quoted: the name inside the quotes, still escaped
  char quote = 0;
};

bool IsWordStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool IsWordPart(unsigned char c) { return IsWordStart(c) || std::isdigit(c) || c == '$'; }
bool IsBlankChar(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// A small SQL tokenizer: just enough to tell names, quotes, comments and
// punctuation apart. It never fails: what it cannot read becomes Bad.
class Tokenizer {
 public:
  explicit Tokenizer(std::string_view s) : s_(s) {}
  bool AtEnd() const { return pos_ >= s_.size(); }
  std::size_t Pos() const { return pos_; }

  Token Next() {
    const std::size_t start = pos_;
    const char c = s_[pos_];
    if (IsBlankChar(c)) {
      while (pos_ < s_.size() && IsBlankChar(s_[pos_])) ++pos_;
      return {Kind::Space, s_.substr(start, pos_ - start)};
    }
    if (s_.substr(pos_, 2) == "--") {
      const std::size_t nl = s_.find('\n', pos_);
      pos_ = nl == std::string_view::npos ? s_.size() : nl + 1;
      return {Kind::Space, s_.substr(start, pos_ - start)};
    }
    if (s_.substr(pos_, 2) == "/*") {
      const std::size_t close = s_.find("*/", pos_ + 2);
      pos_ = close == std::string_view::npos ? s_.size() : close + 2;
      return {Kind::Space, s_.substr(start, pos_ - start)};
    }
    if (c == '"' || c == '`') return Quoted(c, c, Kind::Quoted);
    if (c == '[') return Quoted('[', ']', Kind::Quoted);
    if (c == '\'') return Quoted('\'', '\'', Kind::String);
    if (IsWordStart(static_cast<unsigned char>(c))) {
      while (pos_ < s_.size() && IsWordPart(static_cast<unsigned char>(s_[pos_]))) ++pos_;
      return {Kind::Word, s_.substr(start, pos_ - start)};
    }
    ++pos_;
    return {Kind::Punct, s_.substr(start, 1)};
  }

 private:
  // Brackets have no escape; the other quotes are escaped by doubling.
  Token Quoted(char open, char close, Kind kind) {
    const std::size_t inner = ++pos_;
    while (pos_ < s_.size()) {
      if (s_[pos_] != close) { ++pos_; continue; }
      if (open != '[' && pos_ + 1 < s_.size() && s_[pos_ + 1] == close) { pos_ += 2; continue; }
      ++pos_;
      return {kind, s_.substr(inner, pos_ - 1 - inner), open};
    }
    return {Kind::Bad, s_.substr(inner - 1)};
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

// The meaningful tokens, blanks and comments left out.
std::vector<Token> Significant(std::string_view sql) {
  std::vector<Token> out;
  Tokenizer t(sql);
  while (!t.AtEnd()) {
    Token tok = t.Next();
    if (tok.kind != Kind::Space) out.push_back(tok);
  }
  return out;
}

bool IsKeyword(const Token& t, std::string_view word) {
  if (t.kind != Kind::Word || t.text.size() != word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(t.text[i])) != word[i]) return false;
  return true;
}

bool IsPunct(const Token& t, char c) { return t.kind == Kind::Punct && t.text[0] == c; }

std::string Unescape(const Token& t) {
  if (t.kind == Kind::Word || t.quote == '[') return std::string(t.text);
  std::string out;
  for (std::size_t i = 0; i < t.text.size(); ++i) {
    out += t.text[i];
    if (t.text[i] == t.quote) ++i;  // the doubled quote stands for one
  }
  return out;
}

bool IsName(const Token& t) { return t.kind == Kind::Word || t.kind == Kind::Quoted; }

}  // namespace

std::string QuoteIdentifier(const Dialect& d, std::string_view name) {
  std::string out(1, d.identifierQuote);
  for (char c : name) {
    out += c;
    if (c == d.identifierQuote) out += c;
  }
  out += d.identifierQuote;
  return out;
}

std::string QualifiedName(const Dialect& d, std::string_view schema, std::string_view table) {
  if (schema.empty()) return QuoteIdentifier(d, table);
  return QuoteIdentifier(d, schema) + "." + QuoteIdentifier(d, table);
}

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::string Placeholder(const Dialect& d, int n) {
  return d.placeholders == PlaceholderStyle::Dollar ? "$" + std::to_string(n) : "?";
}

std::optional<TableRef> ParsePlainSelect(std::string_view sql) {
  std::vector<Token> t = Significant(sql);
  while (!t.empty() && IsPunct(t.back(), ';')) t.pop_back();
  const bool qualified = t.size() == 6;
  if (t.size() != 4 && !qualified) return std::nullopt;
  if (!IsKeyword(t[0], "SELECT") || !IsPunct(t[1], '*') || !IsKeyword(t[2], "FROM")) return std::nullopt;
  if (!IsName(t[3])) return std::nullopt;
  if (qualified && (!IsPunct(t[4], '.') || !IsName(t[5]))) return std::nullopt;

  TableRef ref;
  const Token& name = qualified ? t[5] : t[3];
  ref.name = Unescape(name);
  ref.nameQuoted = name.kind == Kind::Quoted;
  if (qualified) {
    ref.schema = Unescape(t[3]);
    ref.schemaQuoted = t[3].kind == Kind::Quoted;
  }
  return ref;
}

std::string_view TrimStatementEnd(std::string_view sql) {
  Tokenizer t(sql);
  std::size_t end = 0;
  while (!t.AtEnd()) {
    const Token tok = t.Next();
    if (tok.kind != Kind::Space && !IsPunct(tok, ';')) end = t.Pos();
  }
  return sql.substr(0, end);
}

bool IsBlank(std::string_view sql) { return TrimStatementEnd(sql).empty(); }

std::vector<std::string_view> SplitStatements(std::string_view sql) {
  std::vector<std::string_view> out;
  Tokenizer t(sql);
  std::size_t start = 0;
  std::vector<Token> head;  // the first words of the statement
  Token last{Kind::Space, {}};
  auto finish = [&](std::size_t end) {
    if (!IsBlank(sql.substr(start, end - start))) out.push_back(sql.substr(start, end - start));
    head.clear();
  };
  while (!t.AtEnd()) {
    const std::size_t at = t.Pos();
    const Token tok = t.Next();
    if (tok.kind == Kind::Space) continue;
    if (IsPunct(tok, ';')) {
      const bool trigger = head.size() >= 2 && IsKeyword(head[0], "CREATE") &&
                           (IsKeyword(head[1], "TRIGGER") ||
                            (head.size() >= 3 && (IsKeyword(head[1], "TEMP") || IsKeyword(head[1], "TEMPORARY")) &&
                             IsKeyword(head[2], "TRIGGER")));
      if (!trigger || IsKeyword(last, "END")) {
        finish(at);
        start = t.Pos();
        last = tok;
        continue;
      }
    }
    if (head.size() < 3) head.push_back(tok);
    last = tok;
  }
  finish(sql.size());
  return out;
}

std::string WithoutComments(std::string_view sql) {
  std::string out;
  out.reserve(sql.size());
  Tokenizer t(sql);
  while (!t.AtEnd()) {
    const std::size_t at = t.Pos();
    const Token tok = t.Next();
    const std::string_view text = sql.substr(at, t.Pos() - at);
    const bool comment = tok.kind == Kind::Space && !IsBlankChar(text[0]);
    const bool runs = text.starts_with("/*!") || text.starts_with("/*+");
    if (comment && !runs)
      out += text.starts_with("--") ? '\n' : ' ';
    else
      out += text;
  }
  return out;
}

namespace {

// " WHERE c1 <null-safe => p AND ...", numbering the parameters on from n.
std::string WhereEqual(const Dialect& d, const std::vector<std::string>& columns, int& n) {
  // Engines bound the depth of an expression (SQLite: 1000), and a chain of ANDs is
  // as deep as it is long: a row of many columns is compared in groups.
  constexpr std::size_t kGroup = 64;
  const bool grouped = columns.size() > kGroup;
  std::string sql;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    sql += i == 0 ? " WHERE " : (grouped && i % kGroup == 0 ? ") AND " : " AND ");
    if (grouped && i % kGroup == 0) sql += "(";
    sql += columns[i] + " " + std::string(d.nullSafeEquals) + " " + Placeholder(d, ++n);
  }
  if (grouped) sql += ")";
  return sql;
}

}  // namespace

std::string UpdateText(const Dialect& d, const OptimisticUpdate& u) {
  std::string sql = "UPDATE " + u.table + " SET ";
  int n = 0;
  for (std::size_t i = 0; i < u.set.size(); ++i)
    sql += (i ? ", " : "") + u.set[i] + " = " + Placeholder(d, ++n);
  sql += WhereEqual(d, u.compare, n);
  for (std::size_t i = 0; i < u.returning.size(); ++i)
    sql += (i ? ", " : " RETURNING ") + u.returning[i];
  return sql;
}

std::string MatchText(const Dialect& d, const OptimisticUpdate& u) {
  std::vector<std::string> columns = u.set;
  columns.insert(columns.end(), u.compare.begin(), u.compare.end());
  int n = 0;
  return "SELECT 1 FROM " + u.table + WhereEqual(d, columns, n);
}

std::string KeysetPageText(const Dialect& d, const std::string& table, const std::vector<std::string>& keys,
                           bool fromKey, bool descending, std::string_view limits, bool keysOnly) {
  auto joined = [&](std::string_view suffix) {
    std::string text;
    for (const auto& k : keys) text += (text.empty() ? "" : ", ") + k + std::string(suffix);
    return text;
  };
  // A bare * after another item is refused by MySQL and MariaDB, and SQLite takes
  // no schema before ".*": the star is the alias's.
  std::string sql = "SELECT " + joined("") + (keysOnly ? "" : ", cartavo_t.*") + " FROM " + table + " AS cartavo_t";
  if (fromKey) {
    std::string marks;
    for (std::size_t i = 0; i < keys.size(); ++i) marks += (i ? ", " : "") + Placeholder(d, static_cast<int>(i) + 1);
    sql += " WHERE (" + joined("") + ") " + (descending ? "<" : ">") + " (" + marks + ")";
  }
  return sql + " ORDER BY " + joined(descending ? " DESC" : "") + std::string(limits);
}

std::string SelectByKeyText(const Dialect& d, const std::string& table, const std::vector<std::string>& columns,
                            const std::vector<std::string>& keys) {
  std::string sql = "SELECT ";
  for (std::size_t i = 0; i < columns.size(); ++i) sql += (i ? ", " : "") + columns[i];
  sql += " FROM " + table;
  for (std::size_t k = 0; k < keys.size(); ++k)
    sql += (k ? " AND " : " WHERE ") + keys[k] + " = " + Placeholder(d, static_cast<int>(k) + 1);
  return sql;
}

}  // namespace db::sql
