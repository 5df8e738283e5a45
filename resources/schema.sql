-- Tables of the program's database.
--
-- Declared types tell the database layer the field kind: BOOLEAN (-1 true, 0 false),
-- TINYINT (byte), SMALLINT (integer), INTEGER (long), FLOAT (single), DOUBLE,
-- DATETIME (days since 30.12.1899, time as the fraction), VARCHAR(n) and LONGTEXT.
-- Every text column compares with JETTEXT: case-insensitive, German order.
-- The collation must be registered on the connection before this script runs.
--
-- AutoNumber ids never come back after a delete (AUTOINCREMENT): an invoice must
-- not end up pointing at a newer booking that took a deleted booking's id.
-- The database holds no relations; the windows keep the rules between tables.

-- Facility structure ---------------------------------------------------------

CREATE TABLE tbl_mandanten (
  mand_id        INTEGER NOT NULL UNIQUE,
  mand_name      VARCHAR(50) COLLATE JETTEXT,
  mand_imagefile VARCHAR(255) COLLATE JETTEXT
);

CREATE TABLE tbl_buildings (
  bld_id         INTEGER PRIMARY KEY AUTOINCREMENT,
  bld_mandant_id INTEGER DEFAULT 0,
  bld_name       VARCHAR(50) COLLATE JETTEXT,
  bld_short      VARCHAR(8) COLLATE JETTEXT DEFAULT '',
  bld_imagefile  VARCHAR(255) COLLATE JETTEXT
);
CREATE INDEX idx_bld_mandant_id ON tbl_buildings (bld_mandant_id);

CREATE TABLE tbl_floors (
  flr_id          INTEGER PRIMARY KEY AUTOINCREMENT,
  flr_building_id INTEGER DEFAULT 0,
  flr_order       SMALLINT DEFAULT 0,
  flr_name        VARCHAR(50) COLLATE JETTEXT,
  flr_short       VARCHAR(10) COLLATE JETTEXT,
  flr_imagefile   VARCHAR(255) COLLATE JETTEXT,
  flr_info        VARCHAR(255) COLLATE JETTEXT
);
CREATE INDEX idx_flr_building_id ON tbl_floors (flr_building_id);

CREATE TABLE tbl_places (
  pl_id          INTEGER PRIMARY KEY AUTOINCREMENT,
  pl_floor_id    INTEGER DEFAULT 0,
  pl_building_id INTEGER DEFAULT 0,
  pl_name        VARCHAR(50) COLLATE JETTEXT,
  pl_type_id     INTEGER DEFAULT 0,
  pl_disabled    BOOLEAN NOT NULL DEFAULT 0,
  pl_info        VARCHAR(255) COLLATE JETTEXT,
  pl_capacity    SMALLINT DEFAULT 0,
  pl_imagefile   VARCHAR(255) COLLATE JETTEXT,
  pl_x1          INTEGER DEFAULT 0,
  pl_y1          INTEGER DEFAULT 0,
  pl_x2          INTEGER DEFAULT 0,
  pl_y2          INTEGER DEFAULT 0
);
CREATE INDEX idx_pl_floor_id ON tbl_places (pl_floor_id);
CREATE INDEX idx_pl_building_id ON tbl_places (pl_building_id);

CREATE TABLE tbl_room_types (
  rot_id   INTEGER NOT NULL UNIQUE,
  rot_name VARCHAR(50) COLLATE JETTEXT
);

-- Bookings and guests ---------------------------------------------------------

CREATE TABLE tbl_bookings (
  book_id          INTEGER PRIMARY KEY AUTOINCREMENT,
  book_mandant_id  INTEGER DEFAULT 0,
  book_place_id    INTEGER DEFAULT 0,
  book_customer_id INTEGER DEFAULT 0,
  book_cust_count  SMALLINT DEFAULT 0,
  book_start       DATETIME,
  book_end         DATETIME,
  book_bearb_date  DATETIME,
  book_info        VARCHAR(255) COLLATE JETTEXT,
  book_color_id    TINYINT DEFAULT 0,
  -- older columns, only carried along when a booking is copied
  book_status_id   INTEGER DEFAULT 0,
  book_cust_ids    VARCHAR(255) COLLATE JETTEXT,
  book_bearb_id    INTEGER DEFAULT 0,
  book_room_id     INTEGER DEFAULT 0,
  book_name        VARCHAR(100) COLLATE JETTEXT
);
-- Conflict and occupancy checks look for bookings of a place that end after
-- a period starts: led by the end, so the years before never get read, and
-- covering start and persons, so the rows themselves never either.
-- core/database (UpdateDatabase) gives older files the same indexes.
CREATE INDEX idx_book_place_end ON tbl_bookings (book_place_id, book_end, book_start, book_cust_count);
CREATE INDEX idx_book_customer_id ON tbl_bookings (book_customer_id, book_start);
CREATE INDEX idx_book_period ON tbl_bookings (book_start, book_end);
-- the bookings of a month or of today
CREATE INDEX idx_book_end_start ON tbl_bookings (book_end, book_start);

CREATE TABLE tbl_customers (
  cust_id          INTEGER PRIMARY KEY AUTOINCREMENT,
  cust_ext_id      INTEGER DEFAULT 0,
  cust_lastname    VARCHAR(50) COLLATE JETTEXT,
  cust_firstname   VARCHAR(50) COLLATE JETTEXT,
  cust_company     VARCHAR(100) COLLATE JETTEXT,
  cust_street      VARCHAR(100) COLLATE JETTEXT,
  cust_zip         VARCHAR(15) COLLATE JETTEXT,
  cust_city        VARCHAR(50) COLLATE JETTEXT,
  cust_country     VARCHAR(50) COLLATE JETTEXT,
  cust_phone       VARCHAR(50) COLLATE JETTEXT,
  cust_phone2      VARCHAR(50) COLLATE JETTEXT,
  cust_fax         VARCHAR(50) COLLATE JETTEXT,
  cust_mobile      VARCHAR(50) COLLATE JETTEXT,
  cust_email       VARCHAR(100) COLLATE JETTEXT,
  cust_info        LONGTEXT COLLATE JETTEXT,
  cust_sex         SMALLINT DEFAULT 0,
  cust_caution     BOOLEAN NOT NULL DEFAULT 0,
  cust_category_id INTEGER DEFAULT 0,
  cust_birthday    DATETIME,
  cust_new         BOOLEAN NOT NULL DEFAULT 0
);
CREATE INDEX idx_cust_name ON tbl_customers (cust_lastname, cust_firstname);
CREATE INDEX idx_cust_firstname ON tbl_customers (cust_firstname);
CREATE INDEX idx_cust_company ON tbl_customers (cust_company);
CREATE INDEX idx_cust_zip ON tbl_customers (cust_zip);
CREATE INDEX idx_cust_birthday ON tbl_customers (cust_birthday);

CREATE TABLE tbl_cust_categories (
  adrcat_id   INTEGER NOT NULL UNIQUE,
  adrcat_name VARCHAR(50) COLLATE JETTEXT
);

-- Invoicing -------------------------------------------------------------------

CREATE TABLE tbl_invoice (
  inv_id          INTEGER PRIMARY KEY AUTOINCREMENT,
  inv_date        DATETIME,
  inv_status_id   INTEGER DEFAULT 0,
  inv_paymode_id  INTEGER DEFAULT 0,
  inv_mandant_id  INTEGER DEFAULT 0,
  inv_booking_id  INTEGER DEFAULT 0,
  inv_customer_id INTEGER DEFAULT 0,
  inv_notes       LONGTEXT COLLATE JETTEXT,
  inv_total       FLOAT DEFAULT 0,
  inv_is_payed    BOOLEAN NOT NULL DEFAULT 0,
  inv_is_sent     BOOLEAN NOT NULL DEFAULT 0
);
CREATE INDEX idx_inv_booking_id ON tbl_invoice (inv_booking_id);
CREATE INDEX idx_inv_customer_id ON tbl_invoice (inv_customer_id);
CREATE INDEX idx_inv_date ON tbl_invoice (inv_date);

CREATE TABLE tbl_invoice_positions (
  ivp_id         INTEGER PRIMARY KEY AUTOINCREMENT,
  ivp_invoice_id INTEGER DEFAULT 0,
  ivp_prod_id    INTEGER DEFAULT 0,
  ivp_quantity   SMALLINT DEFAULT 0,
  ivp_price      FLOAT DEFAULT 0,
  ivp_text       VARCHAR(255) COLLATE JETTEXT
);
CREATE INDEX idx_ivp_invoice_id ON tbl_invoice_positions (ivp_invoice_id);
CREATE INDEX idx_ivp_prod_id ON tbl_invoice_positions (ivp_prod_id);

CREATE TABLE tbl_services (
  srv_id     INTEGER PRIMARY KEY AUTOINCREMENT,
  srv_name   VARCHAR(100) COLLATE JETTEXT,
  srv_info   LONGTEXT COLLATE JETTEXT,
  srv_price  FLOAT DEFAULT 0,
  srv_tax_id SMALLINT DEFAULT 0
);

CREATE TABLE tbl_invoice_status (
  ivs_id   INTEGER NOT NULL UNIQUE,
  ivs_name VARCHAR(50) COLLATE JETTEXT
);

CREATE TABLE tbl_paymode (
  paym_id        INTEGER NOT NULL UNIQUE,
  paym_caption   VARCHAR(50) COLLATE JETTEXT,
  paym_printtext VARCHAR(255) COLLATE JETTEXT
);

CREATE TABLE tbl_vat (
  vat_date_start DATETIME,
  vat_date_end   DATETIME,
  vat_full       TINYINT DEFAULT 0,
  vat_reduced    TINYINT DEFAULT 0
);
CREATE INDEX idx_vat_date_start ON tbl_vat (vat_date_start);
CREATE INDEX idx_vat_date_end ON tbl_vat (vat_date_end);

-- Core and settings -----------------------------------------------------------

CREATE TABLE tbl_workstations (
  ws_id                INTEGER PRIMARY KEY AUTOINCREMENT,
  -- Not unique: handing a row over to another computer blanks the name of the
  -- row left behind, and several rows may be blank.
  ws_computername      VARCHAR(255) COLLATE JETTEXT,
  ws_name              VARCHAR(255) COLLATE JETTEXT,
  ws_logindate         DATETIME,
  ws_lastaccess        DATETIME,
  ws_ReadOnly          BOOLEAN NOT NULL DEFAULT 0,
  ws_TableAutoUpdate   BOOLEAN NOT NULL DEFAULT 0,
  ws_TableAutosizeRows BOOLEAN NOT NULL DEFAULT 0,
  ws_TableMergeRows    BOOLEAN NOT NULL DEFAULT 0,
  ws_Autostart         BOOLEAN NOT NULL DEFAULT 0,
  ws_startpage         SMALLINT DEFAULT 1,
  ws_VisiblePages      VARCHAR(255) COLLATE JETTEXT
);
CREATE INDEX ws_lastaccessIndex ON tbl_workstations (ws_lastaccess);
CREATE INDEX idx_ws_computername ON tbl_workstations (ws_computername);

CREATE TABLE tbl_preferences2 (
  prf_name         VARCHAR(100) COLLATE JETTEXT NOT NULL UNIQUE,
  prf_data_type    SMALLINT DEFAULT 10,
  prf_text_value   LONGTEXT COLLATE JETTEXT,
  prf_bool_value   BOOLEAN NOT NULL DEFAULT 0,
  prf_date_value   DATETIME,
  prf_long_value   INTEGER,
  prf_single_value FLOAT
);

-- One row only; maintenance writes it with UPDATE statements without a condition.
CREATE TABLE tbl_preferences (
  LastDefragDate           DATETIME,
  LastRepairDate           DATETIME,
  LastBackupSavedDate      DATETIME,
  BackupPath               VARCHAR(255) COLLATE JETTEXT,
  LastBackupSavedOnStation VARCHAR(255) COLLATE JETTEXT,
  Shutdown                 BOOLEAN NOT NULL DEFAULT 0
);

CREATE TABLE tbl_colors (
  color_id      SMALLINT NOT NULL UNIQUE,
  color_hexcode VARCHAR(8) COLLATE JETTEXT
);

CREATE TABLE tbl_gui_terms (
  gt_id              SMALLINT NOT NULL UNIQUE,
  gt_singular        VARCHAR(50) COLLATE JETTEXT,
  gt_plural          VARCHAR(50) COLLATE JETTEXT,
  gt_GenitivSingular VARCHAR(50) COLLATE JETTEXT
);

CREATE TABLE tbl_memos (
  Kennummer INTEGER NOT NULL UNIQUE,
  Notizen   LONGTEXT COLLATE JETTEXT
);

-- Older tables ----------------------------------------------------------------

CREATE TABLE Termine (
  Termin_Id         INTEGER PRIMARY KEY AUTOINCREMENT,
  Datum_Beginn      DATETIME,
  Datum_Ende        DATETIME,
  Status_Id         INTEGER DEFAULT 0,
  Patient_Id        INTEGER DEFAULT 0,
  Resources         VARCHAR(255) COLLATE JETTEXT,
  Datum_Bearbeitung DATETIME
);
CREATE INDEX idx_termine_ende ON Termine (Datum_Ende);

CREATE TABLE Textbausteine (
  Kennummer   INTEGER PRIMARY KEY AUTOINCREMENT,
  Bezeichnung VARCHAR(50) COLLATE JETTEXT,
  Baustein    LONGTEXT COLLATE JETTEXT
);

CREATE TABLE tbl_rooms (
  room_id        INTEGER NOT NULL UNIQUE,
  room_imagefile VARCHAR(255) COLLATE JETTEXT
);
