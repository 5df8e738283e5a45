#include "core/terms.h"

#include "core/database.h"
#include "core/globals.h"
#include "core/messages.h"
#include "platform/db/database.h"
#include "platform/runtime/color.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QVariant>

#include <algorithm>
#include <initializer_list>
#include <iterator>

std::vector<QString> ColorCodes;
int ColorCount = 0;

QString TermPlaceSingular;
QString TermPlacePlural;
QString TermPersonSingular;
QString TermPersonPlural;
QString TermPersonGenitive;

std::vector<RoomType> RoomTypes(1);

namespace {

const char* const BackColorProperty = "BackColor";

void reportLoadError(const QString& table, const db::DbError& error)
{
    ui::msgBox(QStringLiteral("Error in {FillResourceArrays} while reading the resource table/field ") + table +
                   QStringLiteral("!\n\n") + error.description(),
               ui::Critical, AppTitle);
}

// Ids are what the colour table's column holds. A row another tool or a
// damaged page left with text, a fraction or a number beyond that names no
// colour a booking can refer to: it is passed over, and so never decides
// how long the list grows.
constexpr double HighestColorId = 32767;

// Both globals change together and only after a complete read, so an index
// below ColorCount always lies inside ColorCodes.
void loadColors()
{
    db::Recordset rs = Db->openRecordset(
        QStringLiteral("SELECT color_id, color_hexcode, typeof(color_id) AS id_type FROM tbl_colors"),
        db::OpenMode::ForwardOnlyReadOnly);
    std::vector<QString> codes{QStringLiteral("0")};
    int highest = -1;
    for (; !rs.eof(); rs.moveNext()) {
        const QString code = rs.value(QStringLiteral("color_hexcode")).toText();
        if (rt::trim(code).isEmpty())
            continue;
        const double stored = rs.value(QStringLiteral("color_id")).toDouble();
        if (rs.value(QStringLiteral("id_type")).toText() != QLatin1String("integer") || stored < 0 ||
            stored > HighestColorId)
            continue;
        const int id = static_cast<int>(stored);
        if (id > highest) {
            highest = id;
            codes.resize(size_t(id) + 1);
        }
        codes[size_t(id)] = code;
    }
    ColorCodes = std::move(codes);
    ColorCount = highest;
}

void loadTerms()
{
    db::Recordset rs = Db->openRecordset(QStringLiteral("SELECT * FROM tbl_gui_terms ;"), db::OpenMode::ForwardOnlyReadOnly);
    for (; !rs.eof(); rs.moveNext()) {
        switch (rs.value(QStringLiteral("gt_id")).toLong()) {
        case 1:
            TermPlaceSingular = rs.value(QStringLiteral("gt_singular")).toText();
            TermPlacePlural = rs.value(QStringLiteral("gt_plural")).toText();
            break;
        case 5:
            TermPersonSingular = rs.value(QStringLiteral("gt_singular")).toText();
            TermPersonPlural = rs.value(QStringLiteral("gt_plural")).toText();
            TermPersonGenitive = rs.value(QStringLiteral("gt_GenitivSingular")).toText();
            break;
        default:
            break;
        }
    }
}

QString roomTypeItemText(const RoomType& type)
{
    return type.name + QStringLiteral(" (") + rt::formatNumber(type.price, QStringLiteral("##,##0.00")) +
           QStringLiteral(" €)");
}

// Lists behave alike here; only the calls differ.
template <typename List, typename AddItem, typename Select>
void fillRoomTypeList(List* list, qint32 selectedId, AddItem addItem, Select select)
{
    if (!list)
        return;
    FillingListsGuard filling;
    list->clear();
    int selectedIndex = -1;
    for (const RoomType& type : RoomTypes) {
        if (type.name.isEmpty())
            continue;
        const int index = addItem(roomTypeItemText(type), type.id);
        if (type.id == selectedId)
            selectedIndex = index;
    }
    if (list->count() > 0)
        select(selectedId < 1 ? 0 : selectedIndex);
}

}  // namespace

void FillResourceArrays()
{
    ui::WaitCursor wait;
    RoomTypes.assign(1, RoomType{});
    if (!Db)
        return;
    try {
        loadColors();
    } catch (const db::DbError& error) {
        reportLoadError(QStringLiteral("tbl_colors"), error);
    }
    try {
        loadTerms();
    } catch (const db::DbError& error) {
        reportLoadError(QStringLiteral("tbl_gui_terms"), error);
    }
}

void LoadRoomTypes(qint32 /*mandantId*/)
{
    ui::WaitCursor wait;
    RoomTypes.assign(1, RoomType{});
    if (!Db)
        return;
    db::Recordset rs =
        Db->openRecordset(QStringLiteral("SELECT * FROM tbl_room_types ORDER by rot_id;"), db::OpenMode::ForwardOnlyReadOnly);
    for (; !rs.eof(); rs.moveNext()) {
        RoomType type;
        type.id = rs.value(QStringLiteral("rot_id")).toLong();
        type.name = rs.value(QStringLiteral("rot_name")).toText();
        type.colour = RoomTypeColour(type.id);
        RoomTypes.push_back(type);
    }
}

qint32 RoomTypeColour(qint32 roomTypeId)
{
    static constexpr qint32 palette[] = {
        rt::rgb(0x1E, 0x90, 0xFF),   // blue
        rt::rgb(0xFF, 0xD7, 0x00),   // gold
        rt::rgb(0xBA, 0x55, 0xD3),   // orchid
        rt::rgb(0xFF, 0x8C, 0x00),   // orange
        rt::rgb(0x00, 0xCE, 0xD1),   // turquoise
        rt::rgb(0xFF, 0x69, 0xB4),   // pink
        rt::rgb(0x8B, 0x45, 0x13),   // brown
        rt::rgb(0x00, 0x00, 0x80),   // navy
        rt::rgb(0x80, 0x80, 0x00),   // olive
        rt::rgb(0x80, 0x00, 0x80),   // purple
        rt::rgb(0xF0, 0xE6, 0x8C),   // khaki
        rt::rgb(0x00, 0x80, 0x80),   // teal
    };
    if (roomTypeId < 1)
        return 0;
    return palette[(roomTypeId - 1) % static_cast<qint32>(std::size(palette))];
}

bool IsValidColorIndex(int idx)
{
    return idx >= 1 && idx <= ColorCount;
}

qint32 ColorCodeValue(const QString& code)
{
    const QString digits = code.trimmed();
    if (digits.isEmpty() || digits.size() > 8)
        return 0;
    bool ok = false;
    const quint32 value = digits.toUInt(&ok, 16);
    return ok ? static_cast<qint32>(value) : 0;
}

qint32 ColorOfIndex(int idx)
{
    if (!IsValidColorIndex(idx) || size_t(idx) >= ColorCodes.size())
        return 0;
    return ColorCodeValue(ColorCodes[size_t(idx)]);
}

void ShowColorField(QLabel* ctl, int idx)
{
    if (!ctl)
        return;
    if (IsValidColorIndex(idx)) {
        SetBackColor(ctl, ColorOfIndex(idx));
        ctl->setText(QString());
        ctl->setProperty("Tag", QString::number(idx));
    } else {
        SetBackColor(ctl, 0xFFFFFF);
        ctl->setText(QStringLiteral(" ") + GetResString(313));
    }
}

void SetBackColor(QWidget* ctl, qint32 bgr)
{
    if (!ctl)
        return;
    const QColor colour = rt::toQColor(bgr);
    QPalette palette = ctl->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    ctl->setPalette(palette);
    ctl->setAutoFillBackground(true);
    ctl->setProperty(BackColorProperty, bgr);
}

qint32 BackColor(const QWidget* ctl)
{
    if (!ctl)
        return 0;
    const QVariant stored = ctl->property(BackColorProperty);
    if (stored.isValid())
        return stored.toInt();
    return rt::fromQColor(ctl->palette().color(ctl->backgroundRole()));
}

void FillListRoomTypes(QComboBox* list, qint32 /*unused*/, qint32 selectedId)
{
    fillRoomTypeList(
        list, selectedId,
        [list](const QString& text, qint32 id) {
            list->addItem(text, id);
            return list->count() - 1;
        },
        [list](int index) { list->setCurrentIndex(index); });
}

void FillListRoomTypes(QListWidget* list, qint32 /*unused*/, qint32 selectedId)
{
    fillRoomTypeList(
        list, selectedId,
        [list](const QString& text, qint32 id) {
            auto* item = new QListWidgetItem(text, list);
            item->setData(Qt::UserRole, id);
            return list->count() - 1;
        },
        [list](int index) {
            list->setCurrentRow(index);
            if (index < 0)
                list->clearSelection();
        });
}

QString FloorPlanHintText()
{
    // The first part of a compound takes its linking letter: "Wohnungs-",
    // "Kabinen-", but "Zimmer-", "Bungalow-".
    QString stem = TermPlaceSingular.trimmed();
    const QString word = stem.toLower();
    const auto endsWithAny = [&word](std::initializer_list<QStringView> ends) {
        return std::any_of(ends.begin(), ends.end(), [&word](QStringView end) { return word.endsWith(end); });
    };
    if (endsWithAny({u"ung", u"heit", u"keit", u"schaft", u"ion", u"tät"}))
        stem += QLatin1Char('s');
    else if (word.endsWith(QLatin1Char('e')) && GenderOfTerm(stem, TermKind::Place) == TermGender::Feminine)
        stem += QLatin1Char('n');
    return QStringLiteral("Sie können jetzt ") + stem + QStringLiteral("-Symbole mit der Maus verschieben...");
}

QString PlaceOccupiedText(const QString& placeName)
{
    return QStringLiteral("Die aktuell gewählte Ressource (") + TermPlaceSingular + QStringLiteral(") \"") + placeName +
           QStringLiteral("\" ist im Reservierungszeitraum bereits belegt.\n\n") +
           QStringLiteral("Möchten Sie die Reservierungsliste für diesen Raum einsehen?");
}

QString GuestRequiredText()
{
    return QStringLiteral("Sie müssen ") + AccusativeOf(TermPersonSingular, TermKind::Person, Article::Indefinite) +
           QStringLiteral(" angeben, um die Reservierung zu vervollständigen.");
}

namespace {

// How a masculine or neuter word takes its endings: strong words add "s" or
// "es" in the genitive only ("des Zimmers", "des Gastes"); weak masculine
// words add "n" or "en" in every case but the nominative ("den Kunden",
// "des Patienten"). Feminine words keep their form.
enum class Endings { None, S, Es, Weak };

struct Grammar {
    TermGender gender = TermGender::Unknown;
    Endings endings = Endings::None;
    // Whether words are built from the singular ("Gastsuche") rather than
    // from the plural ("Kundensuche").
    bool compoundsFromSingular = false;
};

Grammar grammarOf(const QString& term, TermKind kind)
{
    using G = TermGender;
    using E = Endings;
    struct Known {
        const char16_t* end;
        G gender;
        E endings;
        bool fromSingular;
    };
    // Words for places and people a house may call its own, also as the end
    // of a compound ("Doppelzimmer", "Stammkunde").
    static const Known known[] = {
        {u"zimmer", G::Neuter, E::S, false},       {u"bett", G::Neuter, E::Es, false},
        {u"appartement", G::Neuter, E::S, false},  {u"apartment", G::Neuter, E::S, false},
        {u"haus", G::Neuter, E::Es, false},        {u"objekt", G::Neuter, E::S, false},
        {u"studio", G::Neuter, E::S, false},       {u"mitglied", G::Neuter, E::S, false},
        {u"kind", G::Neuter, E::Es, false},        {u"gebäude", G::Neuter, E::S, false},
        {u"quartier", G::Neuter, E::S, false},     {u"zelt", G::Neuter, E::Es, false},
        {u"raum", G::Masculine, E::S, false},      {u"platz", G::Masculine, E::Es, false},
        {u"gast", G::Masculine, E::Es, true},      {u"bewohner", G::Masculine, E::S, false},
        {u"mieter", G::Masculine, E::S, false},    {u"bungalow", G::Masculine, E::S, false},
        {u"kunde", G::Masculine, E::Weak, false},  {u"kollege", G::Masculine, E::Weak, false},
        {u"patient", G::Masculine, E::Weak, false}, {u"klient", G::Masculine, E::Weak, false},
        {u"mandant", G::Masculine, E::Weak, false},
        {u"person", G::Feminine, E::None, false},  {u"wohnung", G::Feminine, E::None, false},
        {u"suite", G::Feminine, E::None, false},   {u"kabine", G::Feminine, E::None, false},
        {u"hütte", G::Feminine, E::None, false},   {u"ressource", G::Feminine, E::None, false},
        {u"einheit", G::Feminine, E::None, false}, {u"etage", G::Feminine, E::None, false},
        {u"buchung", G::Feminine, E::None, false},
    };
    const QString word = term.trimmed().toLower();
    if (word.isEmpty())
        return {};
    const Known* best = nullptr;
    for (const Known& k : known) {
        const QStringView end(k.end);
        if (word.endsWith(end) && (!best || end.size() > QStringView(best->end).size()))
            best = &k;
    }
    if (best)
        return {best->gender, best->endings, best->fromSingular};
    const auto endsWithAny = [&word](std::initializer_list<QStringView> ends) {
        return std::any_of(ends.begin(), ends.end(), [&word](QStringView end) { return word.endsWith(end); });
    };
    if (endsWithAny({u"ung", u"heit", u"keit", u"schaft", u"ion", u"tät", u"ei"}))
        return {G::Feminine, E::None, false};
    if (endsWithAny({u"chen", u"lein", u"ment", u"um"}))
        return {G::Neuter, E::S, false};
    if (kind == TermKind::Person) {
        // "Bewohnerin", "Patientin"; the men's words of the same kind.
        if (word.endsWith(u"in"))
            return {G::Feminine, E::None, false};
        if (endsWithAny({u"ent", u"ant", u"ist"}))
            return {G::Masculine, E::Weak, false};   // "Student", "Praktikant", "Tourist"
        if (endsWithAny({u"er", u"ling", u"eur", u"är", u"or"}))
            return {G::Masculine, E::S, false};
    } else if (word.endsWith(QLatin1Char('e'))) {
        return {G::Feminine, E::None, false};
    }
    return {};
}

// "Kunde" -> "Kunden", "Patient" -> "Patienten".
QString weakForm(const QString& word)
{
    return word + (word.endsWith(QLatin1Char('e')) ? QStringLiteral("n") : QStringLiteral("en"));
}

QString derivedGenitive(const QString& word, const Grammar& grammar)
{
    switch (grammar.endings) {
    case Endings::S: return word + QLatin1Char('s');
    case Endings::Es: return word + QStringLiteral("es");
    case Endings::Weak: return weakForm(word);
    case Endings::None: break;
    }
    return word;
}

// The genitive the house stored, when it is the word itself with a genitive
// ending ("Gastes" for "Gast"); one left over from another word ("Gastes"
// for "Kunde") does not count.
bool isGenitiveOf(const QString& stored, const QString& word, const Grammar& grammar)
{
    if (stored.isEmpty() || !stored.startsWith(word))
        return false;
    const QStringView ending = QStringView(stored).mid(word.size());
    if (ending.isEmpty())
        return grammar.gender == TermGender::Feminine;
    return ending == u"s" || ending == u"es" || ending == u"n" || ending == u"en";
}

}  // namespace

TermGender GenderOfTerm(const QString& term, TermKind kind)
{
    return grammarOf(term, kind).gender;
}

namespace {

enum class Case { Nominative, Accusative, Genitive };

// Article and adjective ending by case, article and gender (masculine,
// feminine, neuter).
struct Declension {
    const char* article[3];
    const char* ending[3];
};

const Declension& declensionOf(Case c, Article a)
{
    static const Declension table[3][3] = {
        // Nominative
        {{{"ein", "eine", "ein"}, {"er", "e", "es"}},
         {{"der", "die", "das"}, {"e", "e", "e"}},
         {{"dieser", "diese", "dieses"}, {"e", "e", "e"}}},
        // Accusative
        {{{"einen", "eine", "ein"}, {"en", "e", "es"}},
         {{"den", "die", "das"}, {"en", "e", "e"}},
         {{"diesen", "diese", "dieses"}, {"en", "e", "e"}}},
        // Genitive
        {{{"eines", "einer", "eines"}, {"en", "en", "en"}},
         {{"des", "der", "des"}, {"en", "en", "en"}},
         {{"dieses", "dieser", "dieses"}, {"en", "en", "en"}}},
    };
    return table[static_cast<int>(c)][static_cast<int>(a)];
}

QString declined(const QString& term, const QString& storedGenitive, TermKind kind, Case c, Article a,
                 const QString& adjectiveStem, const QString& label)
{
    const QString word = term.trimmed();
    const Grammar grammar = grammarOf(word, kind);
    // Without a gender to go by, the term is named behind a word whose gender is known.
    const bool unknown = grammar.gender == TermGender::Unknown;
    const int g = unknown || grammar.gender == TermGender::Masculine ? 0 : grammar.gender == TermGender::Feminine ? 1 : 2;
    const Declension& d = declensionOf(c, a);
    QString text = QString::fromLatin1(d.article[g]) + QLatin1Char(' ');
    if (!adjectiveStem.isEmpty())
        text += adjectiveStem + QString::fromLatin1(d.ending[g]) + QLatin1Char(' ');
    if (!unknown) {
        QString form = word;
        if (c == Case::Genitive) {
            const QString stored = storedGenitive.trimmed();
            form = isGenitiveOf(stored, word, grammar) ? stored : derivedGenitive(word, grammar);
        } else if (c == Case::Accusative && grammar.endings == Endings::Weak) {
            form = weakForm(word);
        }
        text += form;
        return label.isEmpty() ? text : text + QLatin1Char(' ') + label;
    }
    text += c == Case::Genitive ? QStringLiteral("Eintrags") : QStringLiteral("Eintrag");
    if (!label.isEmpty())
        return text + QLatin1Char(' ') + label + (word.isEmpty() ? QString() : QStringLiteral(" (") + word + QLatin1Char(')'));
    return word.isEmpty() ? text : text + QStringLiteral(" \"") + word + QLatin1Char('"');
}

}  // namespace

QString AccusativeOf(const QString& term, TermKind kind, Article article, const QString& adjectiveStem, const QString& label)
{
    return declined(term, QString(), kind, Case::Accusative, article, adjectiveStem, label);
}

QString NominativeOf(const QString& term, TermKind kind, Article article, const QString& label)
{
    return declined(term, QString(), kind, Case::Nominative, article, QString(), label);
}

QString GenitiveOf(const QString& term, const QString& genitive, TermKind kind, Article article)
{
    return declined(term, genitive, kind, Case::Genitive, article, QString(), QString());
}

namespace {

// The pronoun that stands for the term as the subject.
QString pronounOf(const QString& term, TermKind kind)
{
    switch (GenderOfTerm(term, kind)) {
    case TermGender::Feminine: return QStringLiteral("sie");
    case TermGender::Neuter: return QStringLiteral("es");
    case TermGender::Masculine:
    case TermGender::Unknown: break;   // "der Eintrag"
    }
    return QStringLiteral("er");
}

}  // namespace

QString NewPersonRequiredText()
{
    return GetResString(1344, {{QStringLiteral("%s"), AccusativeOf(TermPersonSingular, TermKind::Person, Article::Indefinite,
                                                                    QStringLiteral("neu"))}});
}

QString SurplusPersonReminder()
{
    // Stressed as a warning: the address just stored is the one meant.
    QString surplus = AccusativeOf(TermPersonSingular, TermKind::Person, Article::This, QStringLiteral("unnötig angelegt"));
    const qsizetype firstBlank = surplus.indexOf(QLatin1Char(' '));
    surplus = surplus.left(firstBlank).toUpper() + surplus.mid(firstBlank);
    return GetResString(1347, {{QStringLiteral("%s"), surplus}});
}

QString PersonDeleteRefusedText(const QString& rows)
{
    return GetResString(1355, {{QStringLiteral("%s1"), Capitalized(NominativeOf(TermPersonSingular, TermKind::Person, Article::This))},
                               {QStringLiteral("%s2"), rows},
                               {QStringLiteral("%s3"), pronounOf(TermPersonSingular, TermKind::Person)}});
}

QString PersonBookingsTip()
{
    return GetResString(252, {{QStringLiteral("%s"), GenitiveOf(TermPersonSingular, TermPersonGenitive, TermKind::Person,
                                                                 Article::This)}});
}

QString PersonSearchTitle()
{
    const Grammar grammar = grammarOf(TermPersonSingular, TermKind::Person);
    const QString one = TermPersonSingular.trimmed();
    const QString many = TermPersonPlural.trimmed();
    const QString stem = grammar.gender == TermGender::Unknown ? QString() : grammar.compoundsFromSingular ? one : many;
    if (!stem.isEmpty() && std::all_of(stem.begin(), stem.end(), [](QChar c) { return c.isLetter(); }))
        return GetResString(182, {{QStringLiteral("%s"), stem}});
    // A word that makes no German compound ("Au-pairssuche") stands apart.
    const QString named = many.isEmpty() ? one : many;
    return named.isEmpty() ? QStringLiteral("Suche und Details") : QStringLiteral("Suche und Details: ") + named;
}

QString NoneOf(const QString& term, TermKind kind)
{
    switch (GenderOfTerm(term, kind)) {
    case TermGender::Masculine: return QStringLiteral("keiner");
    case TermGender::Feminine: return QStringLiteral("keine");
    case TermGender::Neuter: return QStringLiteral("keines");
    case TermGender::Unknown: break;
    }
    return QStringLiteral("kein Eintrag");
}

QString Capitalized(const QString& text)
{
    if (text.isEmpty())
        return text;
    return text.front().toUpper() + text.mid(1);
}

namespace {

QString quotedName(const QString& name)
{
    return name.trimmed().isEmpty() ? QString() : QLatin1Char('"') + name.trimmed() + QLatin1Char('"');
}

// "Der Gast "Meier, Anna"", or without a name "Der Gast".
QString namedGuest(const QString& guestName)
{
    return Capitalized(NominativeOf(TermPersonSingular, TermKind::Person, Article::Definite, quotedName(guestName)));
}

}  // namespace

QString PlaceDeletedText(const QString& placeName)
{
    const QString name = quotedName(placeName);
    return QStringLiteral("Die gewählte Ressource (") + TermPlaceSingular + QLatin1Char(')') +
           (name.isEmpty() ? QString() : QLatin1Char(' ') + name) +
           QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht.\n\n"
                          "Bitte wählen Sie eine andere Ressource. Die Reservierung wurde nicht gespeichert.");
}

QString GuestDeletedText(const QString& guestName)
{
    return namedGuest(guestName) +
           QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht. Die Reservierung wurde nicht "
                          "gespeichert.\n\nMöchten Sie ") +
           AccusativeOf(TermPersonSingular, TermKind::Person, Article::Indefinite, QStringLiteral("ander")) +
           QStringLiteral(" wählen?");
}

QString GuestGoneText(const QString& guestName)
{
    return namedGuest(guestName) +
           QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht und kann nicht übernommen werden.");
}
