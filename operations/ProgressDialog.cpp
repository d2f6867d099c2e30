#include "operations/ProgressDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kTickMs = 200;  // the seconds shown never lag by more than this
constexpr int kAbandonAfterMs = 1000;  // a server that obeys a cancel answers well within it
}  // namespace

ProgressDialog::ProgressDialog(QWidget* parent, std::chrono::steady_clock::time_point started)
    : QDialog(parent), started_(started), lblStato_(new QLabel(this)), cmdAnnulla_(new QPushButton("Annulla", this)) {
  setObjectName("frmAttesa");
  setWindowTitle("Cartavo");
  setWindowModality(Qt::ApplicationModal);
  // A title and a close box, which asks as "Annulla" does; nothing to minimize or enlarge.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  lblStato_->setObjectName("lblStato");
  // Wide enough for the longest text, so the window does not jump as seconds grow.
  lblStato_->setMinimumWidth(lblStato_->fontMetrics().horizontalAdvance("Annullamento in corso… 00000 s"));
  cmdAnnulla_->setObjectName("cmdAnnulla");
  cmdAnnulla_->setAutoDefault(false);
  connect(cmdAnnulla_, &QPushButton::clicked, this, &ProgressDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdAnnulla_);
  auto* column = new QVBoxLayout(this);
  column->addWidget(lblStato_);
  column->addLayout(buttons);
  column->setSizeConstraint(QLayout::SetFixedSize);

  auto* tick = new QTimer(this);
  connect(tick, &QTimer::timeout, this, &ProgressDialog::ShowElapsed);
  tick->start(kTickMs);
  ShowElapsed();
}

ProgressDialog::~ProgressDialog() {
  if (pointerSet_) QApplication::restoreOverrideCursor();
}

// The busy pointer of the operation would stand over "Annulla" too.
void ProgressDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (pointerSet_) return;
  pointerSet_ = true;
  QApplication::setOverrideCursor(Qt::ArrowCursor);
}

void ProgressDialog::reject() {
  if (abandonable_ && !abandoned_) {
    abandoned_ = true;
    cmdAnnulla_->setEnabled(false);
    emit abandonRequested();
    return;
  }
  if (cancelled_) return;
  cancelled_ = true;
  cmdAnnulla_->setEnabled(false);
  ShowElapsed();
  emit cancelRequested();
  QTimer::singleShot(kAbandonAfterMs, this, [this] {
    abandonable_ = true;
    cmdAnnulla_->setText("Chiudi connessione");
    cmdAnnulla_->setEnabled(true);
  });
}

void ProgressDialog::ShowElapsed() {
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started_).count();
  const QString what = cancelled_ ? "Annullamento in corso… " : "Operazione in corso… ";
  lblStato_->setText(what + QString::number(seconds) + " s");
}
