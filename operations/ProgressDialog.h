#pragma once
#include <QDialog>

#include <chrono>

class QLabel;
class QPushButton;

// What a database operation shows once it has run for a while: the time elapsed and
// "Annulla", which asks the operation to stop. Esc and the close box ask the same;
// the window stays until the operation has ended, since only then is there an
// outcome to log.
class ProgressDialog final : public QDialog {
  Q_OBJECT

 public:
  ProgressDialog(QWidget* parent, std::chrono::steady_clock::time_point started);
  ~ProgressDialog() override;

  bool cancelled() const { return cancelled_; }
  // "Annulla", Esc and the close box: asks once, and the window stays.
  void reject() override;

 signals:
  void cancelRequested();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowElapsed();

  std::chrono::steady_clock::time_point started_;
  QLabel* lblStato_;
  QPushButton* cmdAnnulla_;
  bool cancelled_ = false;
  bool pointerSet_ = false;
};
