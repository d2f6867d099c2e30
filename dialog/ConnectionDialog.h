#pragma once
#include <QDialog>
#include <optional>

#include "dialog/ConnectionText.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;

// The modal dialog in which the user composes a new connection: a provider with
// the fields it needs, a test of the connection, and the whole connection text,
// editable, on a page of its own. Every widget has an object name for tests.
class ConnectionDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ConnectionDialog(QWidget* parent = nullptr);

  // The composed text: what OK hands back.
  QString connectionText() const;
  void setFields(const db::ConnectionFields& fields);
  db::ConnectionFields fields() const;
  // Opens a temporary connection with the text and says whether it works.
  void testConnection();

 private:
  QWidget* makeFieldsPage();
  QWidget* makeSqlitePage();
  QWidget* makeServerPage();
  QWidget* makeTextPage();
  void fillProviders();
  void showProviderPage();
  void fieldsEdited();
  void pageChanged(int index);
  void browseFile();
  void useSample();
  int providerIndex(const db::ConnectionFields& fields) const;

  QTabWidget* tabs_;
  QComboBox* cboProvider_;
  QStackedWidget* stkDetails_;
  QLineEdit* txtFile_;
  QCheckBox* chkCreate_;
  QPushButton* cmdSample_;
  QFormLayout* serverForm_;
  QLineEdit* txtServer_;
  QLineEdit* txtPort_;
  QLineEdit* txtDatabase_;
  QLineEdit* txtUser_;
  QLineEdit* txtPassword_;
  QLabel* lblTest_;
  QPlainTextEdit* txtText_;
  // Pairs the fields do not show, carried from an edited text into the next composition.
  std::vector<std::pair<std::string, std::string>> extra_;
  bool updating_ = false;
  QString samplePath_;
};

// Shows the dialog modally, with no preset connection and no owner window: the
// composed connection text, or nullopt when the user cancels.
std::optional<QString> PromptNew();
