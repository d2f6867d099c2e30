#pragma once
#include <optional>
#include <string>

#include <QString>

class ListView;
class OperationLog;
class OperationRunner;
namespace db { class Connection; }

// The table catalogue in `LwTabelle` and the fields of a table in `LwCampi`.
class CatalogueBrowser {
 public:
  CatalogueBrowser(db::Connection& conn, OperationRunner& runner, ListView& LwTabelle, ListView& LwCampi,
                   const OperationLog& log)
      : conn_(conn), runner_(runner), LwTabelle_(LwTabelle), LwCampi_(LwCampi), log_(log) {}

  void LeggiTabelle();
  void LeggiCampi(const QString& table);
  // The selected table's name, when a row is selected.
  std::optional<QString> SelectedTable() const;
  // "SELECT * FROM" the selected table, when a row is selected.
  std::optional<std::string> SelectedTableQuery() const;
  static QString DescriviTipo(qint16 type);

 private:
  db::Connection& conn_;
  OperationRunner& runner_;
  ListView& LwTabelle_;
  ListView& LwCampi_;
  const OperationLog& log_;
};
