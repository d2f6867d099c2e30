#pragma once
#include <QObject>
#include <QString>

class OperationLog;
class OperationRunner;
class QAction;
namespace db { class Connection; }

// The window's one connection: composed in the connection dialog, opened by Conne,
// closed by "Disconnetti", with the menus that follow its state.
class ConnectionLifecycle final : public QObject {
  Q_OBJECT

 public:
  struct Menus {
    QAction* mnuConnetti;
    QAction* mnuDisconnetti;
    QAction* mnuAzioni;
  };

  ConnectionLifecycle(db::Connection& conn, OperationRunner& runner, Menus menus, const OperationLog& log)
      : conn_(conn), runner_(runner), menus_(menus), log_(log) {}

  void Connetti();
  void Conne(const QString& DSNx, const QString& UIDx, const QString& PWDx);
  void Disconnetti();
  // The text of the open connection, as it was given.
  const QString& DSN() const { return DSN_; }

 signals:
  // After the connect line is logged and the menus follow.
  void Connesso();

 private:
  void EnableMenus(bool connected);

  db::Connection& conn_;
  OperationRunner& runner_;
  Menus menus_;
  const OperationLog& log_;
  QString DSN_;
};
