#pragma once

#include <QString>

#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QWidget;

// Booking colours by colour index, each the hex text as stored (blue-green-red
// order, red in the two lowest digits); indices without a row hold "". Entry 0
// is "0" unless the table has a row 0. A row whose id is no whole number from
// 0 to 32767 (the column's range) is passed over. Empty before the first load.
extern std::vector<QString> ColorCodes;
// The highest colour index read (not the number of rows); -1 when the table
// has no usable row, 0 before the first load.
extern int ColorCount;

// The house's words for one bookable place and for one guest. Empty while the
// term table lacks their row.
extern QString TermPlaceSingular;
extern QString TermPlacePlural;
extern QString TermPersonSingular;
extern QString TermPersonPlural;
extern QString TermPersonGenitive;

// One room category. The price lives in memory only (the room-category window
// sets it); the colour comes from RoomTypeColour, the table has none.
struct RoomType {
    qint32 id = 0;
    QString name;
    double price = 0.0;
    qint32 colour = 0;
};

// The floor plan's colour of a room category, taken by its id from a fixed
// palette that leaves out the plan's own colours (free green, occupied red,
// disabled grey); 0 for an id below 1.
qint32 RoomTypeColour(qint32 roomTypeId);
// Entry 0 is always the empty category; the stored ones follow by ascending id.
extern std::vector<RoomType> RoomTypes;

// Empties RoomTypes to its empty entry, then loads the colours and the words.
// A table that cannot be read is reported and the next one is still loaded;
// the colours of a failed read keep their previous state.
void FillResourceArrays();

// Fills RoomTypes from tbl_room_types (shared by all facilities, so mandantId
// is not used). Throws db::DbError; what was read up to the error stays.
void LoadRoomTypes(qint32 mandantId);

// True for 1 to ColorCount.
bool IsValidColorIndex(int idx);
// The colour value of a stored code: hexadecimal, read as a 32-bit number
// ("FFFF" is 65535). A code that is no hexadecimal number gives 0 (black).
qint32 ColorCodeValue(const QString& code);
// The colour value of a booking colour index; 0 for an invalid one.
qint32 ColorOfIndex(int idx);

// Shows colour index idx in a label used as a colour field: a valid index as
// its colour without text, with the "Tag" property set to idx; otherwise white
// with " keine", the "Tag" left as it was.
void ShowColorField(QLabel* ctl, int idx);

// The background colour of a text box, label or other widget as a
// blue-green-red Long, and its reading back (what was set last, else the
// widget's own background).
void SetBackColor(QWidget* ctl, qint32 bgr);
qint32 BackColor(const QWidget* ctl);

// Fills a list with the room categories and their prices ("Doppelzimmer
// (65,00 €)"), each item carrying its id. selectedId below 1 selects the first
// item, an id not in the list none. The second argument is not used.
void FillListRoomTypes(QComboBox* list, qint32 unused, qint32 selectedId);
void FillListRoomTypes(QListWidget* list, qint32 unused, qint32 selectedId);

// Texts that carry the interface words and that several windows show.
// "Sie können jetzt <place>-Symbole mit der Maus verschieben..."
QString FloorPlanHintText();
// The refusal of a booking on an occupied place, with the question whether to
// see the place's bookings.
QString PlaceOccupiedText(const QString& placeName);
// The refusal of a booking without a guest.
QString GuestRequiredText();
// The refusal of a booking whose place or guest another workstation deleted;
// the guest's asks whether to choose another one. An empty name is left out.
QString PlaceDeletedText(const QString& placeName);
QString GuestDeletedText(const QString& guestName);
// A guest handed over from the address book whom another workstation deleted
// meanwhile: not taken. An empty name is left out.
QString GuestGoneText(const QString& guestName);

// What a configurable term names: the endings that tell a word's gender
// differ (a person word in -in is feminine; a place word in -e is feminine,
// a person word in -e often masculine, "Kunde").
enum class TermKind { Place, Person };
// The grammatical gender of a configurable term: known words (also as the end
// of a compound, "Doppelzimmer"), else an ending that tells; Unknown when
// nothing does ("Chalet").
enum class TermGender { Masculine, Feminine, Neuter, Unknown };
TermGender GenderOfTerm(const QString& term, TermKind kind);

enum class Article { Indefinite, Definite, This };
// The term declined with its article and an optional adjective, followed by
// label when one is given (the caller quotes a name):
// ("Gast", Definite, "bisherig") "den bisherigen Gast", ("Wohnung",
// Indefinite, "neu") "eine neue Wohnung", ("Bewohnerin", This) "diese
// Bewohnerin"; weak masculine terms take "-n" or "-en" outside the nominative
// ("einen Kunden", "den bisherigen Patienten"). A term of unknown gender is named behind "Eintrag" without an
// article of its own: "den Eintrag "Chalet"", with a label "den Eintrag
// "Meier, Anna" (Klient)"; an empty term is just "den Eintrag".
QString AccusativeOf(const QString& term, TermKind kind, Article article, const QString& adjectiveStem = QString(),
                     const QString& label = QString());
QString NominativeOf(const QString& term, TermKind kind, Article article = Article::Definite,
                     const QString& label = QString());
// The same in the genitive, with the genitive form as the house stored it
// when that is the term with a genitive ending, else derived: "dieses
// Gastes", "dieses Kunden", "dieser Bewohnerin".
QString GenitiveOf(const QString& term, const QString& genitive, TermKind kind, Article article);
// Texts of the address book that splice the person term: "Bitte legen Sie
// einen neuen Kunden an, ...", "... nachträglich DIESEN unnötig angelegten
// Kunden zu löschen.", "Dieses Mitglied darf nicht gelöscht werden, da es
// noch 1 Buchung hat, ..." (rows: "1 Buchung"), "alle Buchungen dieses
// Gastes auflisten".
QString NewPersonRequiredText();
QString SurplusPersonReminder();
QString PersonDeleteRefusedText(const QString& rows);
QString PersonBookingsTip();
// The address book's title built from the person term: "Gastsuche und
// -details", "Kundensuche und -details" (the plural makes the compound);
// a term that makes no German compound is named apart.
QString PersonSearchTitle();
// "None" of the term standing alone, after the term as a label ("Wohnung
// jetzt keine"): "keiner", "keine", "keines"; "kein Eintrag" for a term of
// unknown gender.
QString NoneOf(const QString& term, TermKind kind);
// The text with a capital first letter, for a declined term opening a sentence.
QString Capitalized(const QString& text);
