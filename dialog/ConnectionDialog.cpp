#include "db/providers/BuiltInProviders.h"
#include "dialog/ConnectionDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include <memory>

#include "db/Connection.h"
#include "db/DbError.h"
#include "dialog/SampleDatabase.h"
#include "operations/OperationRunner.h"
#include "db/odbc/OdbcCatalog.h"

namespace {

constexpr int kKindRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;
constexpr int kSqlitePage = 0;
constexpr int kServerPage = 1;

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QString& text) { return text.toStdString(); }

// The toolkit's file dialog keeps a history (the folders visited, the last one) in a
// settings file of the user's. The program keeps nothing on disk: those settings go
// where nothing can be written, and read back empty.
void KeepNoFileDialogHistory() {
  for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat})
    QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
}

QLineEdit* NamedLineEdit(const char* name, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  return edit;
}

}  // namespace

ConnectionDialog::ConnectionDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("ConnectionDialog");
  setWindowTitle("Proprietà connessione");
  setModal(true);
  samplePath_ = SampleDatabasePath();

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("tabPagine");
  tabs_->addTab(makeFieldsPage(), "Connessione");
  tabs_->addTab(makeTextPage(), "Tutte");
  connect(tabs_, &QTabWidget::currentChanged, this, &ConnectionDialog::pageChanged);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName("cmdPulsanti");
  buttons->button(QDialogButtonBox::Ok)->setText("OK");
  buttons->button(QDialogButtonBox::Cancel)->setText("Annulla");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);

  fillProviders();
  showProviderPage();
  fieldsEdited();
  resize(520, 400);
}

QWidget* ConnectionDialog::makeFieldsPage() {
  auto* page = new QWidget;
  cboProvider_ = new QComboBox(page);
  cboProvider_->setObjectName("cboProvider");
  connect(cboProvider_, &QComboBox::currentIndexChanged, this, [this] {
    showProviderPage();
    fieldsEdited();
  });

  stkDetails_ = new QStackedWidget(page);
  stkDetails_->setObjectName("stkDettagli");
  stkDetails_->addWidget(makeSqlitePage());
  stkDetails_->addWidget(makeServerPage());

  auto* cmdTest = new QPushButton("&Verifica connessione", page);
  cmdTest->setObjectName("cmdVerifica");
  connect(cmdTest, &QPushButton::clicked, this, &ConnectionDialog::testConnection);
  lblTest_ = new QLabel(page);
  lblTest_->setObjectName("lblVerifica");
  lblTest_->setWordWrap(true);
  lblTest_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* top = new QFormLayout;
  top->addRow("&Provider:", cboProvider_);
  auto* testRow = new QHBoxLayout;
  testRow->addWidget(cmdTest);
  testRow->addStretch();
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(top);
  layout->addWidget(stkDetails_);
  layout->addSpacing(6);
  layout->addLayout(testRow);
  layout->addWidget(lblTest_);
  layout->addStretch();
  return page;
}

QWidget* ConnectionDialog::makeSqlitePage() {
  auto* page = new QWidget;
  txtFile_ = NamedLineEdit("txtFile", page);
  auto* cmdBrowse = new QPushButton("&Sfoglia...", page);
  cmdBrowse->setObjectName("cmdSfoglia");
  connect(cmdBrowse, &QPushButton::clicked, this, &ConnectionDialog::browseFile);
  chkCreate_ = new QCheckBox("C&rea un nuovo database se il file non esiste", page);
  chkCreate_->setObjectName("chkCrea");

  cmdSample_ = new QPushButton("Usa il database di &esempio", page);
  cmdSample_->setObjectName("cmdEsempio");
  connect(cmdSample_, &QPushButton::clicked, this, &ConnectionDialog::useSample);
  auto* sample = new QGroupBox("Database di esempio", page);
  auto* sampleText = new QLabel(samplePath_.isEmpty()
                                    ? "Il database di esempio non è stato trovato."
                                    : "Una piccola libreria: clienti, libri, ordini e un listino.",
                                sample);
  sampleText->setWordWrap(true);
  cmdSample_->setEnabled(!samplePath_.isEmpty());
  auto* sampleLayout = new QHBoxLayout(sample);
  sampleLayout->addWidget(sampleText, 1);
  sampleLayout->addWidget(cmdSample_);

  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(txtFile_);
  fileRow->addWidget(cmdBrowse);
  auto* fileLabel = new QLabel("&File di database:", page);
  fileLabel->setBuddy(txtFile_);
  auto* form = new QFormLayout;
  form->addRow(fileLabel, fileRow);
  form->addRow(QString(), chkCreate_);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(form);
  layout->addWidget(sample);
  layout->addStretch();

  connect(txtFile_, &QLineEdit::textChanged, this, &ConnectionDialog::fieldsEdited);
  connect(chkCreate_, &QCheckBox::toggled, this, &ConnectionDialog::fieldsEdited);
  return page;
}

QWidget* ConnectionDialog::makeServerPage() {
  auto* page = new QWidget;
  txtServer_ = NamedLineEdit("txtServer", page);
  txtPort_ = NamedLineEdit("txtPorta", page);
  txtDatabase_ = NamedLineEdit("txtDatabase", page);
  txtUser_ = NamedLineEdit("txtUtente", page);
  txtPassword_ = NamedLineEdit("txtPassword", page);
  txtPassword_->setEchoMode(QLineEdit::Password);
  serverForm_ = new QFormLayout(page);
  serverForm_->setContentsMargins(0, 0, 0, 0);
  serverForm_->addRow("&Server:", txtServer_);
  serverForm_->addRow("P&orta:", txtPort_);
  serverForm_->addRow("&Database:", txtDatabase_);
  serverForm_->addRow("&Utente:", txtUser_);
  serverForm_->addRow("Pass&word:", txtPassword_);
  for (auto* edit : {txtServer_, txtPort_, txtDatabase_, txtUser_, txtPassword_})
    connect(edit, &QLineEdit::textChanged, this, &ConnectionDialog::fieldsEdited);
  return page;
}

QWidget* ConnectionDialog::makeTextPage() {
  auto* page = new QWidget;
  auto* label = new QLabel("&Testo di connessione, modificabile:", page);
  txtText_ = new QPlainTextEdit(page);
  txtText_->setObjectName("txtTesto");
  label->setBuddy(txtText_);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(label);
  layout->addWidget(txtText_);
  return page;
}

void ConnectionDialog::fillProviders() {
  using db::ProviderKind;
  cboProvider_->addItem("SQLite (file di database)", int(ProviderKind::SQLite));
  cboProvider_->addItem("PostgreSQL (server)", int(ProviderKind::PostgreSQL));
  try {
    for (const auto& driver : db::OdbcDrivers()) {
      cboProvider_->addItem("Driver ODBC: " + Q(driver), int(ProviderKind::OdbcDriver));
      cboProvider_->setItemData(cboProvider_->count() - 1, Q(driver), kNameRole);
    }
    for (const auto& source : db::OdbcDataSources()) {
      cboProvider_->addItem("Origine dati ODBC: " + Q(source.name) + " (" + Q(source.driver) + ")",
                            int(ProviderKind::OdbcDsn));
      cboProvider_->setItemData(cboProvider_->count() - 1, Q(source.name), kNameRole);
    }
  } catch (const db::DbError&) {
    // Without a driver manager the dialog still offers SQLite and PostgreSQL.
  }
}

void ConnectionDialog::showProviderPage() {
  const auto kind = db::ProviderKind(cboProvider_->currentData(kKindRole).toInt());
  stkDetails_->setCurrentIndex(kind == db::ProviderKind::SQLite ? kSqlitePage : kServerPage);
  const bool serverRows = kind != db::ProviderKind::OdbcDsn;
  for (auto* edit : {txtServer_, txtPort_, txtDatabase_}) serverForm_->setRowVisible(edit, serverRows);
  // The server's usual port, where the driver's name tells the engine.
  const QString driver = cboProvider_->currentData(kNameRole).toString();
  const bool odbc = kind == db::ProviderKind::OdbcDriver;
  const bool mysql =
      odbc && (driver.contains("MariaDB", Qt::CaseInsensitive) || driver.contains("MySQL", Qt::CaseInsensitive));
  const bool pg = kind == db::ProviderKind::PostgreSQL || (odbc && driver.contains("PostgreSQL", Qt::CaseInsensitive));
  txtPort_->setPlaceholderText(pg ? "5432" : mysql ? "3306" : QString());
}

db::ConnectionFields ConnectionDialog::fields() const {
  db::ConnectionFields f;
  f.kind = db::ProviderKind(cboProvider_->currentData(kKindRole).toInt());
  const std::string name = S(cboProvider_->currentData(kNameRole).toString());
  if (f.kind == db::ProviderKind::OdbcDriver) f.driver = name;
  if (f.kind == db::ProviderKind::OdbcDsn) f.dsn = name;
  f.file = S(txtFile_->text());
  f.create = chkCreate_->isChecked();
  f.server = S(txtServer_->text());
  f.port = S(txtPort_->text());
  f.database = S(txtDatabase_->text());
  f.user = S(txtUser_->text());
  f.password = S(txtPassword_->text());
  f.extra = extra_;
  return f;
}

int ConnectionDialog::providerIndex(const db::ConnectionFields& f) const {
  const QString name = Q(f.kind == db::ProviderKind::OdbcDsn ? f.dsn : f.driver);
  for (int i = 0; i < cboProvider_->count(); ++i) {
    if (cboProvider_->itemData(i, kKindRole).toInt() != int(f.kind)) continue;
    const bool named = f.kind == db::ProviderKind::OdbcDriver || f.kind == db::ProviderKind::OdbcDsn;
    if (!named || cboProvider_->itemData(i, kNameRole).toString() == name) return i;
  }
  return -1;
}

void ConnectionDialog::setFields(const db::ConnectionFields& f) {
  updating_ = true;
  int index = providerIndex(f);
  if (index < 0) {  // a driver or data source the driver manager does not list
    const QString name = Q(f.kind == db::ProviderKind::OdbcDsn ? f.dsn : f.driver);
    cboProvider_->addItem((f.kind == db::ProviderKind::OdbcDsn ? "Origine dati ODBC: " : "Driver ODBC: ") + name,
                          int(f.kind));
    index = cboProvider_->count() - 1;
    cboProvider_->setItemData(index, name, kNameRole);
  }
  cboProvider_->setCurrentIndex(index);
  txtFile_->setText(Q(f.file));
  chkCreate_->setChecked(f.create);
  txtServer_->setText(Q(f.server));
  txtPort_->setText(Q(f.port));
  txtDatabase_->setText(Q(f.database));
  txtUser_->setText(Q(f.user));
  txtPassword_->setText(Q(f.password));
  extra_ = f.extra;
  updating_ = false;
  showProviderPage();
  fieldsEdited();
}

void ConnectionDialog::fieldsEdited() {
  if (updating_) return;
  updating_ = true;
  txtText_->setPlainText(Q(db::ComposeConnectionText(fields())));
  updating_ = false;
  lblTest_->clear();
}

void ConnectionDialog::pageChanged(int index) {
  if (index != 0) return;
  // Back from the text page: the fields follow what the user typed there.
  if (auto f = db::ReadConnectionFields(S(connectionText()))) setFields(*f);
}

QString ConnectionDialog::connectionText() const {
  QString text = txtText_->toPlainText();
  while (text.endsWith('\n') || text.endsWith('\r')) text.chop(1);
  return text;
}

void ConnectionDialog::testConnection() {
  const std::string text = S(connectionText());
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QString outcome;
  // Off the dialog's thread, with the progress window and "Annulla": a server that
  // does not answer must not freeze the dialog. The probe is shared with the
  // interrupt, which may still be running when the call has ended.
  const auto probe = std::make_shared<db::Connection>(db::BuiltInProvider);
  OperationRunner runner(this, [probe] { probe->Interrupt(); });
  try {
    probe->ConnectionString(text);
    runner.Run([&] {
      probe->Open();
      probe->Close();
    });
    outcome = "La connessione funziona.";
  } catch (const db::DbError& e) {
    outcome = "La connessione non funziona: " + Q(db::MaskSecrets(e.Description(), text));
  } catch (const std::exception& e) {
    outcome = "La connessione non funziona: " + Q(db::MaskSecrets(e.what(), text));
  }
  QApplication::restoreOverrideCursor();
  lblTest_->setText(outcome);
}

void ConnectionDialog::browseFile() {
  KeepNoFileDialogHistory();
  const QString filter = "Database SQLite (*.db *.sqlite *.sqlite3 *.db3);;Tutti i file (*)";
  const QString file =
      chkCreate_->isChecked()
          ? QFileDialog::getSaveFileName(this, "Nuovo database SQLite", txtFile_->text(), filter, nullptr,
                                         QFileDialog::DontConfirmOverwrite)
          : QFileDialog::getOpenFileName(this, "Apri database SQLite", txtFile_->text(), filter);
  if (!file.isEmpty()) txtFile_->setText(file);
}

void ConnectionDialog::useSample() {
  db::ConnectionFields f;
  f.file = S(samplePath_);
  setFields(f);
}

std::optional<QString> PromptNew() {
  ConnectionDialog dialog;
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.connectionText();
}
