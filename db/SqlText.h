#pragma once
// SQL text that every provider builds the same way, parameterised by the few
// points where the engines differ. Nothing here talks to an engine.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace db::sql {

enum class PlaceholderStyle { Question, Dollar };  // ?  or  $1, $2 ...

// How the UPDATEs of one row are made all or nothing.
enum class Atomicity {
  Savepoint,    // a savepoint around every row, inside a transaction or not
  Transaction,  // several tables: BEGIN ... COMMIT, or a savepoint inside the user's transaction
  Driver,       // several tables: the driver's own transaction
};

struct Dialect {
  char identifierQuote = '"';
  std::string_view nullSafeEquals = "IS";  // "IS NOT DISTINCT FROM" where IS means IS NULL only
  PlaceholderStyle placeholders = PlaceholderStyle::Question;
  // Follows a column compared through its text, for types without an equality.
  std::string_view textCompare = "";
  // False where drivers hand floating-point values over rounded: they would never match.
  bool compareApproximate = true;
  bool returning = true;    // UPDATE ... RETURNING; otherwise the row is read again by its key
  bool limitOffset = true;  // understands "LIMIT n OFFSET m", so a table can be paged by its key
  Atomicity atomicity = Atomicity::Savepoint;
  // An UPDATE counts the rows it changed, not those it matched (MySQL and MariaDB
  // without CLIENT_FOUND_ROWS): storing what is there counts none.
  bool countsChangedRows = false;
};

inline constexpr Dialect kSqlite{'"', "IS", PlaceholderStyle::Question};
inline constexpr Dialect kPostgres{'"', "IS NOT DISTINCT FROM", PlaceholderStyle::Dollar, "::text", true, true, true,
                                   Atomicity::Transaction};
inline constexpr Dialect kOdbc{'"', "IS NOT DISTINCT FROM", PlaceholderStyle::Question, "", false, false, false,
                               Atomicity::Driver};

// The name between the dialect's quotes, the quote character doubled inside.
std::string QuoteIdentifier(const Dialect& d, std::string_view name);
// "schema"."table", or "table" alone when schema is empty.
std::string QualifiedName(const Dialect& d, std::string_view schema, std::string_view table);
// Names equal but for the case of ASCII letters.
bool SameName(std::string_view a, std::string_view b);
// The n-th (1-based) parameter marker.
std::string Placeholder(const Dialect& d, int n);

// A table named by a query of the form SELECT * FROM [schema.]table.
struct TableRef {
  std::string schema;  // empty when the name is not qualified
  std::string name;
  bool schemaQuoted = false;  // written "..", [..] or `..` (case kept by engines that fold)
  bool nameQuoted = false;
};

// Recognises SELECT * FROM <name> or <schema>.<name>: names bare or quoted with "..",
// [..] or `..`, keywords in any case, blanks, comments and trailing semicolons
// allowed, nothing else (no WHERE, ORDER BY, alias, join). Total on any input.
std::optional<TableRef> ParsePlainSelect(std::string_view sql);

// The statement without what may follow it: trailing blanks, comments and
// semicolons. Lets a query be wrapped as a subquery.
std::string_view TrimStatementEnd(std::string_view sql);
// True when the text holds nothing but blanks, comments and semicolons.
bool IsBlank(std::string_view sql);
// The statements of a script, each without its semicolon, blank ones left out: for
// engines that run one statement per call. A semicolon inside quotes, comments or
// the body of a CREATE TRIGGER (up to its END) does not end a statement.
std::vector<std::string_view> SplitStatements(std::string_view sql);
// The text with each comment made a blank, but for MySQL's executable comments and
// optimizer hints (/*! */, /*+ */), which the server runs: for drivers that look
// for a second statement by its semicolon and do not know comments.
std::string WithoutComments(std::string_view sql);

// UPDATE <table> SET s1 = p, ... WHERE c1 <null-safe => p AND ... [RETURNING r1, ...]
// Columns are SQL text (pass QuoteIdentifier(name), or an engine's row id as is).
// Parameters are numbered in order: first the new values of `set`, then the values
// read of `compare` (key columns first, then every other column read from the row).
struct OptimisticUpdate {
  std::string table;                 // qualified and quoted
  std::vector<std::string> set;
  std::vector<std::string> compare;
  std::vector<std::string> returning;  // empty: no RETURNING clause
};
std::string UpdateText(const Dialect& d, const OptimisticUpdate& u);
// SELECT 1 FROM <table> WHERE s1 <null-safe => p AND ... AND c1 <null-safe => p ...:
// the row as the UPDATE would leave it, parameters in the same order.
std::string MatchText(const Dialect& d, const OptimisticUpdate& u);

// SELECT k1, ..., cartavo_t.* FROM <table> AS cartavo_t [WHERE (k1, ...) > (p, ...)] ORDER BY k1, ... <limits>:
// a page of a table in key order, after the key bound (before it, descending) when
// fromKey is set. keysOnly selects the key columns alone, which an index answers
// without reading the rows.
std::string KeysetPageText(const Dialect& d, const std::string& table, const std::vector<std::string>& keys,
                           bool fromKey, bool descending, std::string_view limits, bool keysOnly = false);

// SELECT c1, ... FROM <table> WHERE k1 = p AND ...: one row by its key.
std::string SelectByKeyText(const Dialect& d, const std::string& table, const std::vector<std::string>& columns,
                            const std::vector<std::string>& keys);

}  // namespace db::sql
