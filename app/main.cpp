#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/frmMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The toolkit's own texts (editor menus, standard buttons) in Italian, like the rest.
  QTranslator qtItalian;
  if (qtItalian.load(QStringLiteral("qtbase_it"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    app.installTranslator(&qtItalian);
  frmMain window;
  window.show();
  return app.exec();
}
