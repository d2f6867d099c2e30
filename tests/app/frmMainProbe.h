#pragma once
// Test-side access to the window's private state and methods. Header-only so that
// every test file of the widget tests shares one definition.
#include <QCoreApplication>
#include <QTest>

#include <atomic>
#include <functional>

#include "app/EventLog.h"
#include "app/frmMain.h"
#include "data/DataView.h"
#include "data/SqlPanel.h"
#include "layout/PaneLayout.h"
#include "schema/CatalogueBrowser.h"

class frmMainProbe {
 public:
  explicit frmMainProbe(frmMain& w) : w_(w) {}

  DataGrid* Data1() const { return w_.Data1; }
  QPlainTextEdit* txtSQL() const { return w_.txtSQL; }

  db::Recordset* RsDati() const { return w_.dataView_->RsDati(); }
  qint16 PercAltezzaTabelle() const { return w_.layout_->proportions().PercAltezzaTabelle; }
  qint16 PercLarghezzaTabelle() const { return w_.layout_->proportions().PercLarghezzaTabelle; }
  qint16 PercAltezzaGriglia() const { return w_.layout_->proportions().PercAltezzaGriglia; }
  qint16 AltezzaUtile() const { return w_.layout_->proportions().AltezzaUtile; }
  qint16 LarghezzaUtile() const { return w_.layout_->proportions().LarghezzaUtile; }

  void ScriviEvento(const QString& description, double number, bool isError) {
    w_.eventLog_->ScriviEvento(description, number, isError);
  }
  void LeggiCampi(const QString& table) { w_.catalogue_->LeggiCampi(table); }
  void LeggiDati(const QString& query) { w_.dataView_->LeggiDati(query); }
  void EseguiSQL() { w_.sqlPanel_->EseguiSQL(); }

  void txtEvent_DblClick() { w_.txtEvent_DblClick(); }

  // Waits until the connection's thread has done what it was given and its answers
  // have reached the window; an answer may ask for rows in turn, so more than once.
  void Settle() {
    for (int round = 0; round < 3; ++round) {
      OnConnectionThread([] {});
      QCoreApplication::processEvents();
    }
  }
  // Runs the call on the connection's thread once it has done what it was given.
  void OnConnectionThread(const std::function<void()>& call) {
    std::atomic<bool> done{false};
    w_.ConnThread_->Post([&](bool) {
      call();
      done = true;
    });
    static_cast<void>(QTest::qWaitFor([&done] { return done.load(); }, 20000));
    QCoreApplication::sendPostedEvents();
  }

 private:
  frmMain& w_;
};
