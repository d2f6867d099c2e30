// The table catalogue in LwTabelle and the fields of the clicked table in LwCampi.
#include "widgets/DoEvents.h"
#include "widgets/ListView.h"
#include "widgets/Pictures.h"
#include "app/frmMain.h"

#include <optional>

#include "db/DbError.h"
#include "db/Recordset.h"
#include "operations/CaughtError.h"
#include "operations/LogTarget.h"
#include "operations/UserInputHold.h"
#include "schema/TableQuery.h"
#include "schema/TypeNames.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString Text(const db::Field& field) { return Q(field.GetValue().ToText()); }

// A catalogue without a schema column still lists its tables, unqualified.
std::optional<db::Field> FindField(const db::Fields& fields, std::string_view name) {
  return fields.Find(name);
}

// The schema the catalogue gave for the table, when it is the selected row.
QString SchemaOfSelected(const ListView& tables, const QString& table) {
  const ListItem item = tables.SelectedItem();
  return !item.isNull() && item.Text() == table ? item.UserValue() : QString();
}

}  // namespace

void frmMain::mnuLeggiTabelle_Click() { LeggiTabelle(); }

void frmMain::LeggiTabelle() {
  const UserInputHold hold;
  try {
    Attesa.gate().Require();
    DoEvents();
    LwTabelle->ListItems().Clear();
    std::unique_ptr<db::Recordset> rs;
    Attesa.Run([&] {
      rs = Conn.OpenSchema(db::adSchemaTables);
      rs->Eof();  // the catalogue query runs here, off the window's thread; the rows are read below
    });
    const db::Fields fields = rs->Fields();
    const db::Field name = fields.Item("TABLE_NAME");
    const db::Field type = fields.Item("TABLE_TYPE");
    const std::optional<db::Field> schemaName = FindField(fields, "TABLE_SCHEMA");
    // A new database has no tables: an empty list, not a failure.
    if (!rs->Eof()) {
      rs->MoveFirst();
      do {
        DoEvents();
        ListItem item = LwTabelle->ListItems().Add(Text(name), kPictureTable);
        if (schemaName) item.setUserValue(Text(*schemaName));
        item.setSubItems(1, Text(type));
        rs->MoveNext();
      } while (!rs->Eof());
    }
  } catch (...) {
    const CaughtError e = CurrentError();
    ScriviEvento(e.description, e.number, true);
    ScriviEvento("Lettura tabelle fallita su " + LogTarget(DSN), 0, true);
    return;
  }
  ScriviEvento("Lettura tabelle effettuata correttamente su " + LogTarget(DSN), 0, false);
}

void frmMain::LwTabelle_Click() {
  const ListItem item = LwTabelle->SelectedItem();
  if (item.isNull()) return;
  LeggiCampi(item.Text());
}

void frmMain::LeggiCampi(const QString& table) {
  const UserInputHold hold;
  try {
    Attesa.gate().Require();
    LwCampi->ListItems().Clear();
    db::Recordset rs;
    rs.CursorType(db::adOpenKeyset);
    rs.LockType(db::adLockOptimistic);
    DoEvents();
    const QString schemaName = SchemaOfSelected(*LwTabelle, table);
    const std::string query = schema::SelectAllFrom(schemaName.toStdString(), table.toStdString(), Conn);
    Attesa.Run([&] { rs.Open(query, Conn); });
    const db::Fields fields = rs.Fields();
    const long count = fields.Count();
    for (long i = 0; i < count; ++i) {
      const db::Field field = fields.Item(i);
      ListItem item = LwCampi->ListItems().Add(Q(field.Name()), kPictureField);
      item.setSubItems(1, DescriviTipo(static_cast<qint16>(field.Type())));
      item.setSubItems(2, QString::number(field.DefinedSize()));
      DoEvents();
    }
  } catch (...) {
    const CaughtError e = CurrentError();
    ScriviEvento(e.description, e.number, true);
    ScriviEvento("Lettura campi fallita su " + LogTarget(DSN), 0, true);
    return;
  }
  ScriviEvento("Lettura campi effettuata correttamente su " + LogTarget(DSN), 0, false);
}

QString frmMain::DescriviTipo(qint16 type) { return Q(schema::TypeName(type)); }
