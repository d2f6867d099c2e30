#include <gtest/gtest.h>

#include "dialog/ConnectionText.h"

namespace {

using db::ConnectionFields;
using db::ProviderKind;

TEST(ConnectionText, ComposesEachProviderAndReadsItBack) {
  ConnectionFields sqlite;
  sqlite.file = "/dati/libreria; copia.db";
  sqlite.create = true;
  ConnectionFields server;
  server.kind = ProviderKind::PostgreSQL;
  server.server = "db.esempio.it";
  server.port = "5433";
  server.database = "vendite";
  server.user = "mario";
  server.password = "pa;ss'word\"";
  server.extra = {{"Connect Timeout", "5"}};
  ConnectionFields driver = server;
  driver.kind = ProviderKind::OdbcDriver;
  driver.driver = "PostgreSQL Unicode";
  driver.extra.clear();
  ConnectionFields dsn;
  dsn.kind = ProviderKind::OdbcDsn;
  dsn.dsn = "magazzino";
  dsn.user = "anna";

  EXPECT_EQ(db::ComposeConnectionText(dsn), "Provider=ODBC;DSN=magazzino;UID=anna");
  // ODBC values go to the driver manager as written: ODBC's braces, not quotes.
  EXPECT_EQ(db::ComposeConnectionText(driver),
            "Provider=ODBC;Driver={PostgreSQL Unicode};Server=db.esempio.it;Port=5433;Database=vendite;"
            "UID=mario;PWD={pa;ss'word\"}");
  for (const auto& fields : {sqlite, server, driver, dsn}) {
    const auto text = db::ComposeConnectionText(fields);
    const auto back = db::ReadConnectionFields(text);
    ASSERT_TRUE(back.has_value()) << text;
    EXPECT_EQ(*back, fields) << text;
  }
}

TEST(ConnectionText, ReadsSynonymsAndRefusesUnknownProviders) {
  const auto f = db::ReadConnectionFields("provider=postgresql; Host=h; Initial Catalog=d; UID=u; PWD=p");
  ASSERT_TRUE(f.has_value());
  EXPECT_EQ(f->server, "h");
  EXPECT_EQ(f->database, "d");
  EXPECT_EQ(f->user, "u");
  EXPECT_EQ(f->password, "p");
  EXPECT_FALSE(db::ReadConnectionFields("Provider=Oracle;Data Source=x"));
  EXPECT_FALSE(db::ReadConnectionFields("Data Source=x"));
  EXPECT_FALSE(db::ReadConnectionFields("Provider='SQLite"));
}

TEST(ConnectionText, MaskSecretsHidesThePasswordWhereverTheDescriptionRepeatsIt) {
  const std::string text = "Provider=PostgreSQL;Server=h;User ID=u;Password='se;greto'";
  const auto masked = db::MaskSecrets("accesso negato con se;greto per u (Password=se;greto)", text);
  EXPECT_EQ(masked.find("greto"), std::string::npos) << masked;
  EXPECT_NE(masked.find("accesso negato con "), std::string::npos);
  EXPECT_EQ(db::MaskSecrets("nessun segreto", "non; un testo 'valido"), "nessun segreto");
  EXPECT_EQ(db::MaskSecrets("rifiutato", "Provider=ODBC;DSN=x;PWD={}"), "rifiutato") << "an empty password";
}

}  // namespace
