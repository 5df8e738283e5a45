-- Rows of the delivered database: the lookups the program needs and a small demo
-- guest house. seed_today() is the day the file is made (midnight, as a day
-- number); bookings sit around it, always from 12:00 to 12:00.
-- Floor-plan pictures are drawn from the place rows by the tool that runs this.

-- Words of the interface (1: bookable place, 5: person).
INSERT INTO tbl_gui_terms (gt_id, gt_singular, gt_plural, gt_GenitivSingular) VALUES
  (0, 'Mandant', 'Mandanten', 'Mandanten'),
  (1, 'Zimmer', 'Zimmer', 'Zimmers'),
  (2, 'Gebäude', 'Gebäude', 'Gebäudes'),
  (3, 'Etage', 'Etagen', 'Etage'),
  (4, 'Buchung', 'Buchungen', 'Buchung'),
  (5, 'Gast', 'Gäste', 'Gastes');

-- Booking colours, hexadecimal in blue-green-red order.
INSERT INTO tbl_colors (color_id, color_hexcode) VALUES
  (1, 'C0FFC0'),   -- hellgrün
  (2, 'C0C0FF'),   -- hellrot
  (3, 'FFC0C0'),   -- hellblau
  (4, '80FFFF'),   -- gelb
  (5, 'FFC0FF'),   -- flieder
  (6, 'C0E0FF'),   -- apricot
  (7, 'E0E0E0'),   -- grau
  (8, 'FFFFC0');   -- türkis

INSERT INTO tbl_room_types (rot_id, rot_name) VALUES
  (1, 'Einzelzimmer'),
  (2, 'Doppelzimmer'),
  (3, 'Familienzimmer'),
  (4, 'Ferienwohnung');

INSERT INTO tbl_invoice_status (ivs_id, ivs_name) VALUES
  (1, 'offen'),
  (2, 'versandt'),
  (3, 'bezahlt'),
  (4, 'gemahnt'),
  (5, 'storniert');

-- Printed on open and paid invoices alike: they name the way of payment and
-- nothing the templates do not print (the templates carry no bank details).
INSERT INTO tbl_paymode (paym_id, paym_caption, paym_printtext) VALUES
  (1, 'Barzahlung', 'Zahlungsart: Barzahlung.'),
  (2, 'Überweisung', 'Zahlungsart: Überweisung. Bitte überweisen Sie den Rechnungsbetrag innerhalb von 14 Tagen ohne Abzug unter Angabe der Rechnungsnummer.'),
  (3, 'EC-Karte', 'Zahlungsart: EC-Karte.'),
  (4, 'Kreditkarte', 'Zahlungsart: Kreditkarte.');

-- VAT from 01.01.2000 to 31.12.2100: 19 % full, 7 % reduced.
INSERT INTO tbl_vat (vat_date_start, vat_date_end, vat_full, vat_reduced) VALUES
  (36526, 73415, 19, 7);

INSERT INTO tbl_cust_categories (adrcat_id, adrcat_name) VALUES
  (1, 'Privatgast'),
  (2, 'Stammgast'),
  (3, 'Firma');

INSERT INTO tbl_memos (Kennummer, Notizen) VALUES
  (3, 'Willkommen im Gästehaus Lindenhof. Diese Datenbank enthält ein Beispielhaus mit zwei Gebäuden, einigen Gästen und Buchungen.');

INSERT INTO tbl_preferences (LastDefragDate, LastRepairDate, LastBackupSavedDate, BackupPath, LastBackupSavedOnStation, Shutdown)
  VALUES (NULL, NULL, NULL, '', '', 0);

-- Every setting the program reads, with the type and value a first start would
-- give it (1 Boolean, 4 Long, 8 date, 10 text). Delivered, so that two
-- workstations starting at once never both create a row, and the settings
-- window writes its two Boolean flags as Booleans.
INSERT INTO tbl_preferences2 (prf_name, prf_data_type, prf_text_value, prf_bool_value, prf_date_value, prf_long_value) VALUES
  ('NormalTerminColor', 4, NULL, 0, NULL, 15658734),
  ('TableFixedRowColBackColor', 4, NULL, 0, NULL, 15658734),
  ('MaxWeekCols', 4, NULL, 0, NULL, 30),
  ('BackupReminder', 4, NULL, 0, NULL, 0),
  ('BackupPath', 10, '', 0, NULL, NULL),
  ('LastBackupSavedOnStation', 10, '', 0, NULL, NULL),
  ('LastBackupSavedDate', 8, NULL, 0, 0, NULL),
  ('LastBackupReminderDate', 8, NULL, 0, 0, NULL),
  ('LastDefragDate', 8, NULL, 0, 0, NULL),
  ('LastRepairDate', 8, NULL, 0, 0, NULL),
  ('BackupDate2FileName', 1, NULL, 0, NULL, NULL),
  ('PrintSettings', 10, '', 0, NULL, NULL),
  ('PrintHeaderEnabled', 1, NULL, 0, NULL, NULL),
  ('PrinterLeftOffset', 4, NULL, 0, NULL, 0),
  ('PrinterTopOffset', 4, NULL, 0, NULL, -1000),
  ('MailSeekInterval', 4, NULL, 0, NULL, 20),
  ('DayTableFontSize', 4, NULL, 0, NULL, 8),
  ('MwSt_included', 1, NULL, 0, NULL, NULL),
  ('AdminPW', 10, '', 0, NULL, NULL),
  ('KeepAdrList', 1, NULL, 0, NULL, NULL),
  ('Shutdown', 1, NULL, 0, NULL, NULL),
  ('BearbeiterSubscriptionRequired', 1, NULL, 0, NULL, NULL),
  ('TableToolTipsEnabled', 1, NULL, 0, NULL, NULL);

INSERT INTO Textbausteine (Bezeichnung, Baustein) VALUES
  ('Anreise', 'Die Anreise ist ab 14:00 Uhr möglich. Bitte teilen Sie uns mit, wenn Sie nach 20:00 Uhr eintreffen.'),
  ('Abreise', 'Bitte räumen Sie Ihr Zimmer am Abreisetag bis 11:00 Uhr.');

-- The demo house ---------------------------------------------------------------

INSERT INTO tbl_mandanten (mand_id, mand_name, mand_imagefile) VALUES
  (1, 'Gästehaus Lindenhof', 'lageplan_lindenhof.png');

INSERT INTO tbl_buildings (bld_id, bld_mandant_id, bld_name, bld_short, bld_imagefile) VALUES
  (1, 1, 'Haupthaus', 'HH', NULL),
  (2, 1, 'Gartenhaus', 'GH', NULL);

INSERT INTO tbl_floors (flr_id, flr_building_id, flr_order, flr_name, flr_short, flr_imagefile, flr_info) VALUES
  (1, 1, 0, 'Erdgeschoss', 'EG', 'grundriss_haupthaus_eg.png', 'Rezeption und Frühstücksraum im Anbau'),
  (2, 1, 1, '1. Obergeschoss', '1.OG', 'grundriss_haupthaus_og1.png', NULL),
  (3, 1, 2, '2. Obergeschoss', '2.OG', 'grundriss_haupthaus_og2.png', 'Zimmer 25 wird renoviert'),
  (4, 2, 0, 'Erdgeschoss', 'EG', 'grundriss_gartenhaus_eg.png', 'Ferienwohnungen mit Terrasse'),
  (5, 2, 1, 'Obergeschoss', 'OG', 'grundriss_gartenhaus_og1.png', NULL);

-- Markers are 195 x 195 twips, at twips from the top-left corner of the floor
-- picture (720 x 480 pixels at 15 twips per pixel). Rooms above the corridor
-- have their marker at y 1050, rooms below it at y 5100; the drawing puts the
-- walls halfway between neighbouring markers.
INSERT INTO tbl_places (pl_id, pl_floor_id, pl_building_id, pl_name, pl_type_id, pl_disabled, pl_info, pl_capacity, pl_imagefile, pl_x1, pl_y1, pl_x2, pl_y2) VALUES
  (1,  1, 1, '01', 1, 0, 'barrierefrei', 1, NULL, 2760, 1050, 2955, 1245),
  (2,  1, 1, '02', 2, 0, NULL, 2, NULL, 7860, 1050, 8055, 1245),
  (3,  1, 1, '03', 2, 0, 'zum Garten', 2, NULL, 2760, 5100, 2955, 5295),
  (4,  1, 1, '04', 3, 0, 'mit Zustellbett', 4, NULL, 7860, 5100, 8055, 5295),
  (5,  2, 1, '11', 1, 0, NULL, 1, NULL, 1905, 1050, 2100, 1245),
  (6,  2, 1, '12', 2, 0, 'Balkon', 2, NULL, 5310, 1050, 5505, 1245),
  (7,  2, 1, '13', 2, 0, NULL, 2, NULL, 8715, 1050, 8910, 1245),
  (8,  2, 1, '14', 2, 0, NULL, 2, NULL, 2760, 5100, 2955, 5295),
  (9,  2, 1, '15', 3, 0, 'zwei Räume', 4, NULL, 7860, 5100, 8055, 5295),
  (10, 3, 1, '21', 1, 0, 'Dachschräge', 1, NULL, 1905, 1050, 2100, 1245),
  (11, 3, 1, '22', 2, 0, NULL, 2, NULL, 5310, 1050, 5505, 1245),
  (12, 3, 1, '23', 2, 0, NULL, 2, NULL, 8715, 1050, 8910, 1245),
  (13, 3, 1, '24', 1, 0, NULL, 1, NULL, 2760, 5100, 2955, 5295),
  (14, 3, 1, '25', 2, -1, 'wird renoviert', 2, NULL, 7860, 5100, 8055, 5295),
  (15, 4, 2, 'Linde', 4, 0, 'Terrasse, Küche', 4, NULL, 2760, 1050, 2955, 1245),
  (16, 4, 2, 'Eiche', 4, 0, 'Terrasse, Küche', 4, NULL, 7860, 1050, 8055, 1245),
  (17, 4, 2, 'Birke', 4, 0, 'große Wohnung, zwei Schlafzimmer', 6, NULL, 5310, 5100, 5505, 5295),
  (18, 5, 2, 'Ahorn', 4, 0, 'Dachwohnung', 4, NULL, 5310, 1050, 5505, 1245),
  (19, 5, 2, 'Buche', 2, 0, NULL, 2, NULL, 2760, 5100, 2955, 5295),
  (20, 5, 2, 'Ulme', 2, 0, NULL, 2, NULL, 7860, 5100, 8055, 5295);

-- cust_sex: 0 Herr, 1 Frau, 2 Frau und Herr, 3 none. Birthdays are day numbers.
INSERT INTO tbl_customers (cust_id, cust_lastname, cust_firstname, cust_company, cust_street, cust_zip, cust_city, cust_country, cust_phone, cust_mobile, cust_email, cust_info, cust_sex, cust_caution, cust_category_id, cust_birthday) VALUES
  (1,  'Müller', 'Thomas', NULL, 'Lindenstraße 12', '80331', 'München', 'D', '089 1234567', '0171 2345678', 'thomas.mueller@example.de', 'Nichtraucherzimmer', 0, 0, 2, 24940),
  (2,  'Weiß', 'Sabine', NULL, 'Hauptstraße 5', '50667', 'Köln', 'D', '0221 987654', NULL, 'sabine.weiss@example.de', NULL, 1, 0, 1, 27640),
  (3,  'Schäfer', 'Jürgen', NULL, 'Am Markt 3', '01067', 'Dresden', 'D', '0351 445566', NULL, NULL, 'Nur gegen Vorkasse', 0, -1, 1, 21577),
  (4,  'Becker', 'Anna und Peter', NULL, 'Gartenweg 7', '30159', 'Hannover', 'D', '0511 223344', '0160 5556667', 'familie.becker@example.de', 'Reisen mit zwei Kindern', 2, 0, 2, 29387),
  (5,  'Hoffmann', 'Ursula', NULL, 'Bergstrasse 22', '8000', 'Zürich', 'CH', '+41 44 1234567', NULL, 'u.hoffmann@example.ch', NULL, 1, 0, 2, 19328),
  (6,  'Zimmermann', 'Klaus', NULL, 'Getreidegasse 9', '5020', 'Salzburg', 'A', '+43 662 889900', NULL, NULL, NULL, 0, 0, 1, 25972),
  (7,  'Krüger', 'Stefan', 'Brauerei Altmühl GmbH', 'Industriestraße 40', '93309', 'Kelheim', 'D', '09441 50600', NULL, 'einkauf@example.com', 'Rechnung an die Firma', 0, 0, 3, NULL),
  (8,  'Dubois', 'Marie', NULL, '12 Rue de la Paix', '75002', 'Paris', 'F', '+33 1 42000000', NULL, 'marie.dubois@example.fr', NULL, 1, 0, 1, 31115),
  (9,  'Wagner', 'Lukas', NULL, 'Schillerstraße 18', '70173', 'Stuttgart', 'D', NULL, '0152 3344556', 'lukas.wagner@example.de', NULL, 0, 0, 1, 33231),
  (10, 'Lindqvist', 'Greta', NULL, 'Storgatan 4', '11455', 'Stockholm', 'S', '+46 8 6600000', NULL, NULL, NULL, 1, 0, 1, 23502),
  (11, 'Meier', 'Hans', NULL, 'Hauptstr. 1', '12345', 'Berlin', 'D', '030 1112223', NULL, NULL, NULL, 0, 0, 1, 17746);

-- srv_tax_id: 0 full VAT, 1 reduced, 2 none. Prices without VAT.
INSERT INTO tbl_services (srv_id, srv_name, srv_info, srv_price, srv_tax_id) VALUES
  (1,  'Übernachtung Einzelzimmer', 'pro Nacht', 55, 1),
  (2,  'Übernachtung Doppelzimmer', 'pro Nacht', 79, 1),
  (3,  'Übernachtung Familienzimmer', 'pro Nacht, bis vier Personen', 109, 1),
  (4,  'Ferienwohnung', 'pro Nacht', 95, 1),
  (5,  'Frühstück', 'pro Person und Tag', 12.5, 0),
  (6,  'Halbpension', 'pro Person und Tag', 24, 0),
  (7,  'Parkplatz', 'pro Tag', 6, 0),
  (8,  'Endreinigung Ferienwohnung', 'einmalig', 45, 0),
  (9,  'Haustier', 'pro Tag', 8, 0),
  (10, 'Kurtaxe', 'pro Person und Nacht', 2.5, 2);

-- Bookings around the day the file is made.
INSERT INTO tbl_bookings (book_id, book_mandant_id, book_place_id, book_customer_id, book_cust_count, book_start, book_end, book_bearb_date, book_info, book_color_id) VALUES
  (1,  1, 2,  1,  2, seed_today() - 3 + 0.5,  seed_today() + 2 + 0.5,  seed_today() - 20 + 0.40, 'Anreise gegen 18 Uhr', 1),
  (2,  1, 2,  2,  2, seed_today() + 2 + 0.5,  seed_today() + 5 + 0.5,  seed_today() - 12 + 0.55, NULL, 0),
  (3,  1, 6,  3,  1, seed_today() - 1 + 0.5,  seed_today() + 4 + 0.5,  seed_today() - 2 + 0.35, 'Vorkasse erhalten', 2),
  (4,  1, 9,  4,  4, seed_today() + 0.5,      seed_today() + 7 + 0.5,  seed_today() - 30 + 0.60, 'Kinderbett aufstellen', 4),
  (5,  1, 15, 5,  3, seed_today() - 6 + 0.5,  seed_today() - 1 + 0.5,  seed_today() - 1 + 0.45, NULL, 3),
  (6,  1, 15, 6,  2, seed_today() + 3 + 0.5,  seed_today() + 10 + 0.5, seed_today() - 5 + 0.70, 'mit Hund', 5),
  (7,  1, 17, 7,  4, seed_today() + 1 + 0.5,  seed_today() + 8 + 0.5,  seed_today() - 14 + 0.50, 'Messebesuch, Rechnung an die Firma', 6),
  (8,  1, 11, 8,  2, seed_today() - 2 + 0.5,  seed_today() + 1 + 0.5,  seed_today() - 9 + 0.65, NULL, 0),
  (9,  1, 5,  9,  1, seed_today() + 7 + 0.5,  seed_today() + 9 + 0.5,  seed_today() - 3 + 0.42, NULL, 0),
  (10, 1, 19, 10, 2, seed_today() - 10 + 0.5, seed_today() - 4 + 0.5,  seed_today() - 25 + 0.38, NULL, 8),
  (11, 1, 12, 9,  1, seed_today() - 4 + 0.5,  seed_today() - 1 + 0.5,  seed_today() - 8 + 0.58, NULL, 0),
  (12, 1, 7,  10, 2, seed_today() + 0.5,      seed_today() + 3 + 0.5,  seed_today() - 6 + 0.47, NULL, 7),
  -- a request without persons: listed, but it occupies nothing
  (13, 1, 7,  6,  0, seed_today() + 1 + 0.5,  seed_today() + 3 + 0.5,  seed_today() - 1 + 0.62, 'Anfrage, noch nicht bestätigt', 0),
  (14, 1, 18, 2,  2, seed_today() + 5 + 0.5,  seed_today() + 12 + 0.5, seed_today() - 4 + 0.52, NULL, 1),
  (15, 1, 3,  5,  2, seed_today() + 14 + 0.5, seed_today() + 21 + 0.5, seed_today() - 2 + 0.44, NULL, 3),
  (16, 1, 20, 1,  1, seed_today() + 6 + 0.5,  seed_today() + 9 + 0.5,  seed_today() - 7 + 0.36, NULL, 0);

-- The invoice of the stay that ended yesterday (booking 5): paid in cash.
INSERT INTO tbl_invoice (inv_id, inv_date, inv_status_id, inv_paymode_id, inv_mandant_id, inv_booking_id, inv_customer_id, inv_notes, inv_total, inv_is_payed, inv_is_sent) VALUES
  (1, seed_today() - 1, 3, 1, 1, 5, 5, 'Vielen Dank für Ihren Besuch.', 0, -1, -1);

INSERT INTO tbl_invoice_positions (ivp_id, ivp_invoice_id, ivp_prod_id, ivp_quantity, ivp_price, ivp_text) VALUES
  (1, 1, 4,  5,  95,   'Ferienwohnung'),
  (2, 1, 5,  15, 12.5, 'Frühstück'),
  (3, 1, 8,  1,  45,   'Endreinigung Ferienwohnung'),
  (4, 1, 10, 15, 2.5,  'Kurtaxe'),
  (5, 1, -1, 1,  8.5,  'Getränke aus der Minibar');

-- The stored total is the gross amount the invoice window shows: the net sum
-- plus the VAT of each class. A free-text position counts at the full rate.
UPDATE tbl_invoice SET inv_total = (
  SELECT ROUND(SUM(amount) + ROUND(SUM(CASE WHEN cls = 0 THEN amount ELSE 0 END) * 19 / 100.0, 2)
                           + ROUND(SUM(CASE WHEN cls = 1 THEN amount ELSE 0 END) * 7 / 100.0, 2), 2)
  FROM (SELECT ivp_quantity * ivp_price AS amount, COALESCE(srv_tax_id, 0) AS cls
        FROM tbl_invoice_positions LEFT JOIN tbl_services ON ivp_prod_id = srv_id
        WHERE ivp_invoice_id = tbl_invoice.inv_id))
WHERE inv_id = 1;
