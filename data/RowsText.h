#pragma once
// Rows of a record set as delimited text: the grid's copy (tab-separated, as
// spreadsheets paste it) and its CSV export (RFC 4180). NULL and an empty text both
// give an empty field; binary values give their hexadecimal digits.
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace db { class Recordset; }

namespace data {

struct RowsFormat {
  char separator;
  const char* lineEnd;
};
inline constexpr RowsFormat kCopyFormat{'\t', "\n"};
inline constexpr RowsFormat CsvFormat(char separator) { return {separator, "\r\n"}; }

// What to write: these columns (0-based, in this order) of these rows, or of every
// row to the end of the record set; a heading line first when asked.
struct RowsChoice {
  std::vector<int> columns;
  std::optional<std::vector<std::int64_t>> rows;
  bool headings = false;
};

// The field quoted when it holds the separator, a quote or a line break.
void AppendField(std::string& out, std::string_view text, char separator);

// Appends the chosen rows to `out`, handing it to `flush` whenever it has grown past
// a block, and once at the end. Raises Canceled as soon as `cancelled` says so.
void WriteRows(db::Recordset& rs, const RowsChoice& choice, RowsFormat format, std::string& out,
               const std::function<void(std::string&)>& flush, const std::function<bool()>& cancelled);

// Every row of the record set to a CSV file, written under a temporary name and put
// in place only when whole: a cancelled or failed export leaves no file. Raises the
// failure.
void ExportCsv(db::Recordset& rs, const QString& path, char separator, const std::function<bool()>& cancelled);

}  // namespace data
