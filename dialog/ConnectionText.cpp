#include "dialog/ConnectionText.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "db/ConnectionString.h"
#include "db/DbError.h"

namespace db {
namespace {

bool SameKey(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

bool IsOneOf(std::string_view key, std::initializer_list<std::string_view> names) {
  return std::any_of(names.begin(), names.end(), [key](std::string_view n) { return SameKey(key, n); });
}

// The blanks that the reading of a text trims around a plain value.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

// ODBC texts reach the driver manager unchanged, so their values use ODBC's own
// quoting: braces, with '}' doubled inside.
std::string OdbcQuote(std::string_view value, bool always) {
  const bool plain = value.find_first_of(";{}'\"") == std::string_view::npos &&
                     (value.empty() || (!IsBlank(value.front()) && !IsBlank(value.back())));
  if (plain && !always) return std::string(value);
  std::string out = "{";
  for (char c : value) out += c == '}' ? std::string("}}") : std::string(1, c);
  return out + "}";
}

std::string OdbcUnquote(const std::string& value) {
  if (value.size() < 2 || value.front() != '{' || value.back() != '}') return value;
  std::string out;
  for (std::size_t i = 1; i + 1 < value.size(); ++i) {
    out += value[i];
    if (value[i] == '}' && value[i + 1] == '}') ++i;
  }
  return out;
}

class TextBuilder {
 public:
  explicit TextBuilder(bool odbc) : odbc_(odbc) {}
  void Add(std::string_view key, std::string_view value, bool braced = false) {
    if (!text_.empty()) text_ += ';';
    text_ += key;
    text_ += '=';
    text_ += odbc_ ? OdbcQuote(value, braced) : QuoteValue(value);
  }
  void AddIfSet(std::string_view key, std::string_view value) {
    if (!value.empty()) Add(key, value);
  }
  std::string Take() { return std::move(text_); }

 private:
  bool odbc_;
  std::string text_;
};

void ComposeServer(const ConnectionFields& f, TextBuilder& out, bool odbc) {
  out.AddIfSet("Server", f.server);
  out.AddIfSet("Port", f.port);
  out.AddIfSet("Database", f.database);
  out.AddIfSet(odbc ? "UID" : "User ID", f.user);
  out.AddIfSet(odbc ? "PWD" : "Password", f.password);
}

bool IsOdbc(ProviderKind kind) { return kind == ProviderKind::OdbcDriver || kind == ProviderKind::OdbcDsn; }

std::optional<ProviderKind> KindOf(const ConnectionString& cs) {
  auto provider = cs.Get("Provider");
  if (!provider) return std::nullopt;
  if (SameKey(*provider, "SQLite")) return ProviderKind::SQLite;
  if (SameKey(*provider, "PostgreSQL")) return ProviderKind::PostgreSQL;
  if (SameKey(*provider, "ODBC"))
    return cs.Get("DSN") ? ProviderKind::OdbcDsn : ProviderKind::OdbcDriver;
  return std::nullopt;
}

bool IsYes(std::string_view value) {
  return IsOneOf(value, {"yes", "true", "1", "si", "sì"});
}

bool Store(std::string& field, std::string value) {
  field = std::move(value);
  return true;
}
bool Store(bool& field, bool value) {
  field = value;
  return true;
}

// Puts one pair into its field; false when no field shows that key.
bool ReadPair(ConnectionFields& f, const std::string& key, const std::string& value) {
  if (SameKey(key, "Provider")) return true;
  if (f.kind == ProviderKind::SQLite) {
    if (SameKey(key, "Data Source")) return Store(f.file, value);
    if (SameKey(key, kSqliteCreateKey)) return Store(f.create, IsYes(value));
    return false;
  }
  if (f.kind == ProviderKind::OdbcDriver && SameKey(key, "Driver")) return Store(f.driver, value);
  if (f.kind == ProviderKind::OdbcDsn && SameKey(key, "DSN")) return Store(f.dsn, value);
  if (IsOneOf(key, {"Server", "Host", "Data Source"})) return Store(f.server, value);
  if (SameKey(key, "Port")) return Store(f.port, value);
  if (IsOneOf(key, {"Database", "Initial Catalog"})) return Store(f.database, value);
  if (IsOneOf(key, {"User ID", "UID", "User"})) return Store(f.user, value);
  if (IsOneOf(key, {"Password", "PWD"})) return Store(f.password, value);
  return false;
}

std::vector<std::string> Passwords(std::string_view text) {
  std::vector<std::string> found;
  try {
    const ConnectionString parsed = ConnectionString::Parse(text);
    for (const auto& [key, value] : parsed.Pairs())
      if (IsOneOf(key, {"Password", "PWD"}) && !value.empty()) {
        found.push_back(value);
        if (OdbcUnquote(value) != value) found.push_back(OdbcUnquote(value));
      }
  } catch (const DbError&) {
    // A text that does not parse opened nothing; MaskPasswords still covers pairs.
  }
  return found;
}

// An empty `what` (the password "{}": empty once unbraced) would be found everywhere.
void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
  if (what.empty()) return;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

}  // namespace

std::string MaskSecrets(std::string_view description, std::string_view connectionText) {
  // The known values first: masking pairs could cut a value in two and hide it from the search.
  std::string masked(description);
  for (const auto& password : Passwords(connectionText)) ReplaceAll(masked, password, "****");
  return MaskPasswords(masked);
}

std::string ComposeConnectionText(const ConnectionFields& f) {
  TextBuilder out(IsOdbc(f.kind));
  switch (f.kind) {
    case ProviderKind::SQLite:
      out.Add("Provider", "SQLite");
      out.Add("Data Source", f.file);
      if (f.create) out.Add(kSqliteCreateKey, "Yes");
      break;
    case ProviderKind::PostgreSQL:
      out.Add("Provider", "PostgreSQL");
      ComposeServer(f, out, false);
      break;
    case ProviderKind::OdbcDriver:
      out.Add("Provider", "ODBC");
      out.Add("Driver", f.driver, true);
      ComposeServer(f, out, true);
      break;
    case ProviderKind::OdbcDsn:
      out.Add("Provider", "ODBC");
      out.Add("DSN", f.dsn);
      out.AddIfSet("UID", f.user);
      out.AddIfSet("PWD", f.password);
      break;
  }
  for (const auto& [key, value] : f.extra) out.Add(key, value);
  return out.Take();
}

std::optional<ConnectionFields> ReadConnectionFields(std::string_view text) {
  try {
    const ConnectionString cs = ConnectionString::Parse(text);
    const auto kind = KindOf(cs);
    if (!kind) return std::nullopt;
    ConnectionFields fields;
    fields.kind = *kind;
    for (const auto& [key, written] : cs.Pairs()) {
      const std::string value = IsOdbc(fields.kind) ? OdbcUnquote(written) : written;
      if (!ReadPair(fields, key, value)) fields.extra.emplace_back(key, value);
    }
    return fields;
  } catch (const DbError&) {
    return std::nullopt;
  }
}

}  // namespace db
