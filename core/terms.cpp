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

// Both globals change together and only after a complete read, so an index
// below ColorCount always lies inside ColorCodes.
void loadColors()
{
    db::Recordset rs = Db->openRecordset(QStringLiteral("tbl_colors"), db::OpenMode::ForwardOnlyReadOnly);
    std::vector<QString> codes{QStringLiteral("0")};
    int highest = -1;
    for (; !rs.eof(); rs.moveNext()) {
        const QString code = rs.value(QStringLiteral("color_hexcode")).toText();
        if (rt::trim(code).isEmpty())
            continue;
        const qint32 id = rs.value(QStringLiteral("color_id")).toLong();
        if (id < 0)
            continue;
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
    return QStringLiteral("Sie können jetzt ") + TermPlaceSingular + QStringLiteral("-Symbole mit der Maus verschieben...");
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

TermGender GenderOfTerm(const QString& term, TermKind kind)
{
    using G = TermGender;
    // Words for places and people a house may call its own.
    static const std::vector<std::pair<QString, G>> known = {
        {QStringLiteral("zimmer"), G::Neuter},      {QStringLiteral("bett"), G::Neuter},
        {QStringLiteral("appartement"), G::Neuter}, {QStringLiteral("apartment"), G::Neuter},
        {QStringLiteral("haus"), G::Neuter},        {QStringLiteral("objekt"), G::Neuter},
        {QStringLiteral("studio"), G::Neuter},      {QStringLiteral("mitglied"), G::Neuter},
        {QStringLiteral("kind"), G::Neuter},        {QStringLiteral("gebäude"), G::Neuter},
        {QStringLiteral("quartier"), G::Neuter},    {QStringLiteral("zelt"), G::Neuter},
        {QStringLiteral("raum"), G::Masculine},     {QStringLiteral("platz"), G::Masculine},
        {QStringLiteral("gast"), G::Masculine},     {QStringLiteral("bewohner"), G::Masculine},
        {QStringLiteral("kunde"), G::Masculine},    {QStringLiteral("patient"), G::Masculine},
        {QStringLiteral("mieter"), G::Masculine},   {QStringLiteral("bungalow"), G::Masculine},
        {QStringLiteral("mandant"), G::Masculine},  {QStringLiteral("kollege"), G::Masculine},
        {QStringLiteral("person"), G::Feminine},    {QStringLiteral("wohnung"), G::Feminine},
        {QStringLiteral("suite"), G::Feminine},     {QStringLiteral("kabine"), G::Feminine},
        {QStringLiteral("hütte"), G::Feminine},     {QStringLiteral("ressource"), G::Feminine},
        {QStringLiteral("einheit"), G::Feminine},   {QStringLiteral("etage"), G::Feminine},
        {QStringLiteral("buchung"), G::Feminine},
    };
    const QString word = term.trimmed().toLower();
    if (word.isEmpty())
        return G::Unknown;
    size_t longest = 0;
    G gender = G::Unknown;
    for (const auto& [end, g] : known) {
        if (word.endsWith(end) && static_cast<size_t>(end.size()) > longest) {
            longest = static_cast<size_t>(end.size());
            gender = g;
        }
    }
    if (longest > 0)
        return gender;
    const auto endsWithAny = [&word](std::initializer_list<QStringView> ends) {
        return std::any_of(ends.begin(), ends.end(), [&word](QStringView end) { return word.endsWith(end); });
    };
    if (endsWithAny({u"ung", u"heit", u"keit", u"schaft", u"ion", u"tät", u"ei"}))
        return G::Feminine;
    if (endsWithAny({u"chen", u"lein", u"ment", u"um"}))
        return G::Neuter;
    if (kind == TermKind::Person) {
        // "Bewohnerin", "Patientin"; the men's words of the same kind.
        if (word.endsWith(u"in"))
            return G::Feminine;
        if (endsWithAny({u"er", u"ent", u"ant", u"ist", u"ling", u"eur", u"är", u"or"}))
            return G::Masculine;
    } else if (word.endsWith(QLatin1Char('e'))) {
        return G::Feminine;
    }
    return G::Unknown;
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

QString declined(const QString& term, const QString& form, TermKind kind, Case c, Article a, const QString& adjectiveStem,
                 const QString& label)
{
    const QString word = term.trimmed();
    const TermGender gender = GenderOfTerm(word, kind);
    // Without a gender to go by, the term is named behind a word whose gender is known.
    const bool unknown = gender == TermGender::Unknown;
    const int g = unknown || gender == TermGender::Masculine ? 0 : gender == TermGender::Feminine ? 1 : 2;
    const Declension& d = declensionOf(c, a);
    QString text = QString::fromLatin1(d.article[g]) + QLatin1Char(' ');
    if (!adjectiveStem.isEmpty())
        text += adjectiveStem + QString::fromLatin1(d.ending[g]) + QLatin1Char(' ');
    if (!unknown) {
        text += form.trimmed().isEmpty() ? word : form.trimmed();
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
    return declined(term, term, kind, Case::Accusative, article, adjectiveStem, label);
}

QString NominativeOf(const QString& term, TermKind kind, Article article, const QString& label)
{
    return declined(term, term, kind, Case::Nominative, article, QString(), label);
}

QString GenitiveOf(const QString& term, const QString& genitive, TermKind kind, Article article)
{
    return declined(term, genitive, kind, Case::Genitive, article, QString(), QString());
}

QString AccusativePronounOf(const QString& term, TermKind kind)
{
    switch (GenderOfTerm(term, kind)) {
    case TermGender::Feminine: return QStringLiteral("sie");
    case TermGender::Neuter: return QStringLiteral("es");
    case TermGender::Masculine:
    case TermGender::Unknown: break;   // "der Eintrag"
    }
    return QStringLiteral("ihn");
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
