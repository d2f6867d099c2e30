#include "data/RowsText.h"

#include <QSaveFile>

#include <stdexcept>

#include "data/CellText.h"
#include "db/LayerErrors.h"
#include "db/Recordset.h"

namespace data {

namespace {

constexpr std::size_t kFlushBytes = 1u << 20;

void AppendLine(std::string& out, const std::vector<std::string>& fields, RowsFormat format) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += format.separator;
    AppendField(out, fields[i], format.separator);
  }
  out += format.lineEnd;
}

void AppendRow(std::string& out, db::Fields fields, const std::vector<int>& columns, RowsFormat format) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0) out += format.separator;
    const db::Field field = fields.Item(columns[i]);
    // A double's text is the grid's own; every other value's is the engine's text.
    const db::Value v = field.GetValue();
    AppendField(out, v.Is<double>() ? EditText(v) : v.ToText(), format.separator);
  }
  out += format.lineEnd;
}

std::runtime_error FileError(const QString& path, const QString& reason) {
  return std::runtime_error(QString("Impossibile scrivere il file %1: %2").arg(path, reason).toStdString());
}

}  // namespace

void AppendField(std::string& out, std::string_view text, char separator) {
  const char special[] = {separator, '"', '\n', '\r'};
  if (text.find_first_of(std::string_view(special, sizeof special)) == std::string_view::npos) {
    out += text;
    return;
  }
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void WriteRows(db::Recordset& rs, const RowsChoice& choice, RowsFormat format, std::string& out,
               const std::function<void(std::string&)>& flush, const std::function<bool()>& cancelled) {
  const auto step = [&] {
    if (cancelled()) throw db::errors::Canceled();
    if (out.size() >= kFlushBytes) flush(out);
  };
  if (choice.headings) {
    std::vector<std::string> names;
    for (const int c : choice.columns) names.push_back(rs.Fields().Item(c).Name());
    AppendLine(out, names, format);
  }
  if (choice.rows) {
    for (const std::int64_t row : *choice.rows) {
      rs.AbsolutePosition(row + 1);
      AppendRow(out, rs.Fields(), choice.columns, format);
      step();
    }
  } else if (!(rs.BOF() && rs.Eof())) {  // both only when there are no rows
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
      AppendRow(out, rs.Fields(), choice.columns, format);
      step();
    }
  }
  flush(out);
}

void ExportCsv(db::Recordset& rs, const QString& path, char separator, const std::function<bool()>& cancelled) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) throw FileError(path, file.errorString());
  RowsChoice every;
  for (long c = 0; c < rs.Fields().Count(); ++c) every.columns.push_back(static_cast<int>(c));
  every.headings = true;
  std::string block;
  WriteRows(rs, every, CsvFormat(separator), block, [&](std::string& text) {
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()))
      throw FileError(path, file.errorString());
    text.clear();
  }, cancelled);
  if (!file.commit()) throw FileError(path, file.errorString());
}

}  // namespace data
