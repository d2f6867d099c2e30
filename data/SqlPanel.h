#pragma once

class DataView;
class OperationLog;
class OperationRunner;
class QPlainTextEdit;
namespace db { class Connection; }

// The SQL panel: "Esegui" shows a SELECT in the grid and runs anything else as a command.
class SqlPanel {
 public:
  SqlPanel(db::Connection& conn, OperationRunner& runner, QPlainTextEdit& txtSQL, DataView& view,
           const OperationLog& log)
      : conn_(conn), runner_(runner), txtSQL_(txtSQL), view_(view), log_(log) {}

  void EseguiSQL();
  void Cancella();

 private:
  db::Connection& conn_;
  OperationRunner& runner_;
  QPlainTextEdit& txtSQL_;
  DataView& view_;
  const OperationLog& log_;
};
