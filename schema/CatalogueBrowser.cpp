#include "schema/CatalogueBrowser.h"

#include <memory>
#include <optional>
#include <vector>

#include "db/Connection.h"
#include "db/Recordset.h"
#include "db/SqlText.h"
#include "operations/OperationLog.h"
#include "operations/OperationRunner.h"
#include "operations/UserInputHold.h"
#include "schema/TableQuery.h"
#include "schema/TypeNames.h"
#include "widgets/DoEvents.h"
#include "widgets/ListView.h"
#include "widgets/Pictures.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString Text(const db::Field& field) { return Q(field.GetValue().ToText()); }

struct CatalogueRow {
  QString name, type;
  std::optional<QString> schema;
};

// On the connection's thread.
std::vector<CatalogueRow> ReadCatalogue(db::Connection& conn) {
  const std::unique_ptr<db::Recordset> rs = conn.OpenSchema(db::adSchemaTables);
  const db::Fields fields = rs->Fields();
  const db::Field name = fields.Item("TABLE_NAME");
  const db::Field type = fields.Item("TABLE_TYPE");
  // A catalogue without a schema column still lists its tables, unqualified.
  const std::optional<db::Field> schemaName = fields.Find("TABLE_SCHEMA");
  std::vector<CatalogueRow> rows;
  // A new database has no tables: an empty list, not a failure.
  if (rs->Eof()) return rows;
  for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
    rows.push_back({Text(name), Text(type), schemaName ? std::optional(Text(*schemaName)) : std::nullopt});
  return rows;
}

// The schema the catalogue gave for the table, when it is the selected row.
QString SchemaOfSelected(const ListView& tables, const QString& table) {
  const ListItem item = tables.SelectedItem();
  return !item.isNull() && item.Text() == table ? item.UserValue() : QString();
}

// The connection's own quoting; without an open connection the standard one, and
// the open of the query then reports the missing connection.
std::string Quoted(const db::Connection& conn, std::string_view name) {
  if (conn.State() == db::adStateOpen) return conn.QuoteIdentifier(name);
  return db::sql::QuoteIdentifier(db::sql::Dialect{}, name);
}

}  // namespace

void CatalogueBrowser::LeggiTabelle() {
  const UserInputHold hold;
  try {
    runner_.gate().Require();
    DoEvents();
    LwTabelle_.ListItems().Clear();
    // The whole catalogue is read on the connection's thread; the list is filled here.
    std::vector<CatalogueRow> rows;
    runner_.Run([&] { rows = ReadCatalogue(conn_); });
    for (const CatalogueRow& row : rows) {
      DoEvents();
      ListItem item = LwTabelle_.ListItems().Add(row.name, kPictureTable);
      if (row.schema) item.setUserValue(*row.schema);
      item.setSubItems(1, row.type);
    }
  } catch (...) {
    log_.Failed("Lettura tabelle fallita su ");
    return;
  }
  log_.Succeeded("Lettura tabelle effettuata correttamente su ");
}

void CatalogueBrowser::LeggiCampi(const QString& table) {
  const UserInputHold hold;
  try {
    runner_.gate().Require();
    LwCampi_.ListItems().Clear();
    db::Recordset rs;
    rs.CursorType(db::adOpenKeyset);
    rs.LockType(db::adLockOptimistic);
    DoEvents();
    const QString schemaName = SchemaOfSelected(LwTabelle_, table);
    const std::string query = schema::SelectAllFrom(schemaName.toStdString(), table.toStdString(), conn_);
    struct FieldRow {
      QString name;
      int type;
      std::int32_t size;
    };
    std::vector<FieldRow> read;
    runner_.Run([&] {
      rs.Open(query, conn_);
      const db::Fields fields = rs.Fields();
      for (long i = 0; i < fields.Count(); ++i) {
        const db::Field field = fields.Item(i);
        read.push_back({Q(field.Name()), field.Type(), field.DefinedSize()});
      }
      rs.Close();
    });
    for (const FieldRow& field : read) {
      ListItem item = LwCampi_.ListItems().Add(field.name, kPictureField);
      item.setSubItems(1, DescriviTipo(static_cast<qint16>(field.type)));
      item.setSubItems(2, QString::number(field.size));
      DoEvents();
    }
  } catch (...) {
    log_.Failed("Lettura campi fallita su ");
    return;
  }
  log_.Succeeded("Lettura campi effettuata correttamente su ");
}

std::optional<QString> CatalogueBrowser::SelectedTable() const {
  const ListItem item = LwTabelle_.SelectedItem();
  if (item.isNull()) return std::nullopt;
  return item.Text();
}

std::optional<std::string> CatalogueBrowser::SelectedTableQuery() const {
  const ListItem item = LwTabelle_.SelectedItem();
  if (item.isNull()) return std::nullopt;
  const auto quote = [this](std::string_view name) { return Quoted(conn_, name); };
  return schema::SelectAllFrom(item.UserValue().toStdString(), item.Text().toStdString(), quote);
}

QString CatalogueBrowser::DescriviTipo(qint16 type) { return Q(schema::TypeName(type)); }
