#pragma once
#include <QDialog>

#include <chrono>

class QLabel;
class QPushButton;

// What a database operation shows once it has run for a while: the time elapsed and
// "Annulla", which asks the operation to stop. Esc and the close box ask the same;
// the window stays until the operation has ended, since only then is there an
// outcome to log. When the cancel is not answered within a second, the button turns
// into "Chiudi connessione", which stops waiting for the engine at all.
class ProgressDialog final : public QDialog {
  Q_OBJECT

 public:
  ProgressDialog(QWidget* parent, std::chrono::steady_clock::time_point started);
  ~ProgressDialog() override;

  bool cancelled() const { return cancelled_; }
  // "Annulla", Esc and the close box: asks once, and the window stays; later, once,
  // "Chiudi connessione".
  void reject() override;

 signals:
  void cancelRequested();
  void abandonRequested();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowElapsed();

  std::chrono::steady_clock::time_point started_;
  QLabel* lblStato_;
  QPushButton* cmdAnnulla_;
  bool cancelled_ = false;
  bool abandonable_ = false;
  bool abandoned_ = false;
  bool pointerSet_ = false;
};
