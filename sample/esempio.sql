-- Database di esempio di Cartavo: una piccola libreria con clienti, libri e ordini.
-- Il file esempio.db viene creato da questo script a ogni build.
PRAGMA foreign_keys = ON;
BEGIN;

CREATE TABLE clienti (
  id INTEGER PRIMARY KEY,
  nome VARCHAR(60) NOT NULL,
  citta VARCHAR(40),
  email VARCHAR(80),
  iscritto_il DATE,
  attivo BOOLEAN NOT NULL DEFAULT 1,
  note TEXT
);

CREATE TABLE libri (
  id INTEGER PRIMARY KEY,
  titolo VARCHAR(120) NOT NULL,
  autore VARCHAR(80),
  anno SMALLINT,
  prezzo NUMERIC(8,2),
  peso_kg REAL,
  copertina BLOB
);

-- AUTOINCREMENT fa comparire anche la tabella di sistema sqlite_sequence.
CREATE TABLE ordini (
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  cliente_id INTEGER NOT NULL REFERENCES clienti(id),
  ordinato_il DATETIME NOT NULL,
  spedito_il DATETIME,
  stato VARCHAR(20) NOT NULL
);

CREATE TABLE righe_ordine (
  ordine_id INTEGER NOT NULL REFERENCES ordini(id),
  libro_id INTEGER NOT NULL REFERENCES libri(id),
  quantita INTEGER NOT NULL,
  sconto REAL,
  PRIMARY KEY (ordine_id, libro_id)
);

CREATE TABLE "Listino prezzi" (
  codice CHAR(6) PRIMARY KEY,
  descrizione NVARCHAR(100) NOT NULL,
  prezzo_unitario DOUBLE,
  valido_dal DATE
);

CREATE VIEW vista_ordini AS
  SELECT o.id AS ordine, c.nome AS cliente, l.titolo AS libro, r.quantita,
         round(r.quantita * l.prezzo * (1 - coalesce(r.sconto, 0)), 2) AS importo,
         o.stato
  FROM ordini o
  JOIN clienti c ON c.id = o.cliente_id
  JOIN righe_ordine r ON r.ordine_id = o.id
  JOIN libri l ON l.id = r.libro_id;

INSERT INTO clienti (id, nome, citta, email, iscritto_il, attivo, note) VALUES
  (1, 'Giulia Rossi', 'Torino', 'giulia.rossi@esempio.it', '2021-03-14', 1, 'Preferisce il ritiro in negozio.'),
  (2, 'Marco Bianchi', 'Milano', NULL, '2022-11-02', 1, NULL),
  (3, 'Chiara Esposito', 'Napoli', 'chiara@esempio.it', '2020-06-30', 0, 'Cliente dal giorno dell''apertura; chiede sempre lo scontrino.'),
  (4, 'Luca Ferrari', 'Bologna', 'luca.ferrari@esempio.it', NULL, 1, NULL),
  (5, 'Sofia Romano', 'Città di Castello', 'sofia.romano@esempio.it', '2023-09-01', 1, 'Perché no? Ama i gialli.');

INSERT INTO libri (id, titolo, autore, anno, prezzo, peso_kg, copertina) VALUES
  (1, 'I promessi sposi', 'Alessandro Manzoni', 1840, 12.50, 0.85, X'89504E470D0A1A0A0000000D49484452'),
  (2, 'Il nome della rosa', 'Umberto Eco', 1980, 14.90, 0.62, NULL),
  (3, 'Le città invisibili', 'Italo Calvino', 1972, 11.00, 0.30, NULL),
  (4, 'La coscienza di Zeno', 'Italo Svevo', 1923, 9.90, NULL, NULL),
  (5, 'Il Gattopardo', 'Giuseppe Tomasi di Lampedusa', 1958, 13.50, 0.48, NULL),
  (6, 'Ricettario della nonna', NULL, NULL, 7.00, 0.40, NULL);

INSERT INTO ordini (id, cliente_id, ordinato_il, spedito_il, stato) VALUES
  (1, 1, '2024-01-15 10:32:00', '2024-01-16 09:00:00', 'consegnato'),
  (2, 3, '2024-02-03 18:05:12', '2024-02-05 14:20:00', 'consegnato'),
  (3, 2, '2024-03-21 08:47:30', NULL, 'in preparazione'),
  (4, 5, '2024-04-02 16:10:00', '2024-04-03 11:45:00', 'spedito'),
  (5, 1, '2024-04-28 12:00:00', NULL, 'annullato');

INSERT INTO righe_ordine (ordine_id, libro_id, quantita, sconto) VALUES
  (1, 1, 1, NULL),
  (1, 3, 2, 0.10),
  (2, 2, 1, NULL),
  (3, 5, 1, 0.05),
  (3, 4, 3, NULL),
  (4, 3, 1, NULL),
  (4, 6, 2, 0.20),
  (5, 2, 1, NULL);

INSERT INTO "Listino prezzi" (codice, descrizione, prezzo_unitario, valido_dal) VALUES
  ('SEG001', 'Segnalibro in cuoio', 3.5, '2024-01-01'),
  ('BOR002', 'Borsa di tela "Cartavo"', 8.0, '2024-01-01'),
  ('CAR003', 'Carta regalo; al metro', 1.2, NULL),
  ('BUO004', 'Buono regalo', NULL, '2024-06-01');

COMMIT;
