#include "core/globals.h"
#include "core/places.h"
#include "core/terms.h"
#include "platform/runtime/color.h"
#include "tests/core/occupancy_db.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>

#include <gtest/gtest.h>

#include <set>

namespace {

class ResourceArrays : public ::testing::Test {
protected:
    test::DialogScope dialogs;
    test::OccupancyDb database;

    static void exec(const QString& sql) { Db->execute(sql); }
};

TEST_F(ResourceArrays, ColourIndicesRunToTheHighestIdWithGapsBlack)
{
    exec(QStringLiteral("INSERT INTO tbl_colors VALUES (5, 'C0FFC0'), (0, 'FFFFFF'), (1, ' 0000FF '), (2, 'FFFF'), (7, '  ')"));
    FillResourceArrays();
    ASSERT_EQ(ColorCount, 5);
    ASSERT_EQ(ColorCodes.size(), 6u);
    EXPECT_EQ(ColorCodes[0], QStringLiteral("FFFFFF"));
    EXPECT_EQ(ColorCodes[1], QStringLiteral(" 0000FF "));
    EXPECT_FALSE(IsValidColorIndex(0));
    EXPECT_TRUE(IsValidColorIndex(3));
    EXPECT_EQ(ColorOfIndex(3), 0);
    EXPECT_EQ(ColorOfIndex(5), rt::rgb(0xC0, 0xFF, 0xC0));
    EXPECT_EQ(ColorOfIndex(2), 65535);
    EXPECT_EQ(ColorCodeValue(QStringLiteral("FFFFFFFF")), -1);
    EXPECT_EQ(ColorCodeValue(QStringLiteral("grün")), 0);

    QLabel field;
    ShowColorField(&field, 1);
    EXPECT_EQ(field.palette().color(QPalette::Window), QColor(Qt::red));
    EXPECT_EQ(field.text(), QString());
    EXPECT_EQ(field.property("Tag").toInt(), 1);
    ShowColorField(&field, 6);
    EXPECT_EQ(BackColor(&field), 0xFFFFFF);
    EXPECT_EQ(field.text(), QStringLiteral(" keine"));
    EXPECT_EQ(field.property("Tag").toInt(), 1);

    exec(QStringLiteral("DELETE FROM tbl_colors"));
    FillResourceArrays();
    EXPECT_EQ(ColorCount, -1);
    EXPECT_EQ(ColorCodes, std::vector<QString>{QStringLiteral("0")});
}

// Ids another tool or a damaged page left: none sizes the list or colours a booking.
TEST_F(ResourceArrays, AColourIdTheColumnCannotHoldIsPassedOver)
{
    for (const char* damaged : {"2000000000", "5000000000", "32768", "-3", "'rot'", "2.5"}) {
        exec(QStringLiteral("DELETE FROM tbl_colors"));
        exec(QStringLiteral("INSERT INTO tbl_colors VALUES (1, 'FF'), (%1, '808080'), (3, 'FF00')").arg(damaged));
        FillResourceArrays();
        EXPECT_EQ(ColorCodes, (std::vector<QString>{"0", "FF", "", "FF00"})) << damaged;
    }
}

TEST_F(ResourceArrays, TermsAreSplicedIntoTheTexts)
{
    exec(QStringLiteral("INSERT INTO tbl_gui_terms VALUES (0, 'Haus', 'Häuser', ''), (1, 'Zimmer', 'Zimmer', ''), "
                        "(5, 'Gast', 'Gäste', 'Gastes')"));
    FillResourceArrays();
    EXPECT_EQ(TermPersonPlural, QStringLiteral("Gäste"));
    EXPECT_EQ(TermPersonGenitive, QStringLiteral("Gastes"));
    EXPECT_EQ(FloorPlanHintText(), QStringLiteral("Sie können jetzt Zimmer-Symbole mit der Maus verschieben..."));
    EXPECT_EQ(PlaceOccupiedText(QStringLiteral("12")),
              QStringLiteral("Die aktuell gewählte Ressource (Zimmer) \"12\" ist im Reservierungszeitraum bereits belegt.\n\n"
                             "Möchten Sie die Reservierungsliste für diesen Raum einsehen?"));
    EXPECT_EQ(GuestRequiredText(), QStringLiteral("Sie müssen einen Gast angeben, um die Reservierung zu vervollständigen."));
}

TEST_F(ResourceArrays, ArticlesAndAdjectivesFollowTheTermsGender)
{
    using K = TermKind;
    using A = Article;
    // The delivered terms and what houses call their places and guests instead.
    EXPECT_EQ(AccusativeOf(QStringLiteral("Zimmer"), K::Place, A::Indefinite), QStringLiteral("ein Zimmer"));
    EXPECT_EQ(AccusativeOf(QStringLiteral("Gast"), K::Person, A::Indefinite), QStringLiteral("einen Gast"));
    EXPECT_EQ(AccusativeOf(QStringLiteral("Gast"), K::Person, A::Definite, QStringLiteral("von Ihnen neu gewählt")),
              QStringLiteral("den von Ihnen neu gewählten Gast"));
    EXPECT_EQ(AccusativeOf(QStringLiteral("Person"), K::Person, A::Definite, QStringLiteral("bisherig")),
              QStringLiteral("die bisherige Person"));
    EXPECT_EQ(AccusativeOf(QStringLiteral("Ferienwohnung"), K::Place, A::Indefinite, QStringLiteral("neu")),
              QStringLiteral("eine neue Ferienwohnung"));
    EXPECT_EQ(AccusativeOf(QStringLiteral("Doppelzimmer"), K::Place, A::Indefinite, QStringLiteral("neu")),
              QStringLiteral("ein neues Doppelzimmer"));
    EXPECT_EQ(AccusativeOf(QStringLiteral("Appartement"), K::Place, A::This, QStringLiteral("bisherig")),
              QStringLiteral("dieses bisherige Appartement"));
    EXPECT_EQ(NominativeOf(QStringLiteral("Mitglied"), K::Person, A::This), QStringLiteral("dieses Mitglied"));

    // A person word in -in is a woman's, whatever word it is made from.
    EXPECT_EQ(AccusativeOf(QStringLiteral("Bewohnerin"), K::Person, A::Indefinite, QStringLiteral("ander")),
              QStringLiteral("eine andere Bewohnerin"));
    EXPECT_EQ(GenitiveOf(QStringLiteral("Bewohnerin"), QStringLiteral("Bewohnerin"), K::Person, A::This),
              QStringLiteral("dieser Bewohnerin"));
    EXPECT_EQ(GenitiveOf(QStringLiteral("Gast"), QStringLiteral("Gastes"), K::Person, A::This), QStringLiteral("dieses Gastes"));
    EXPECT_EQ(NoneOf(QStringLiteral("Wohnung"), K::Place), QStringLiteral("keine"));
    EXPECT_EQ(GenderOfTerm(QStringLiteral("Stellplatz"), K::Place), TermGender::Masculine);
    EXPECT_EQ(GenderOfTerm(QStringLiteral("Kunde"), K::Person), TermGender::Masculine);
    EXPECT_EQ(GenderOfTerm(QStringLiteral("Kabine"), K::Place), TermGender::Feminine);
    EXPECT_EQ(GenderOfTerm(QStringLiteral("Häuschen"), K::Place), TermGender::Neuter);
    // -e makes a place word feminine, not a person word ("Kollege", "Insasse").
    EXPECT_EQ(GenderOfTerm(QStringLiteral("Insasse"), K::Person), TermGender::Unknown);

    // Nothing tells the gender of "Chalet" (neuter): it is named behind a
    // word whose gender is known, not guessed.
    EXPECT_EQ(GenderOfTerm(QStringLiteral("Chalet"), K::Place), TermGender::Unknown);
    EXPECT_EQ(AccusativeOf(QStringLiteral("Chalet"), K::Place, A::Definite), QStringLiteral("den Eintrag \"Chalet\""));
    EXPECT_EQ(AccusativeOf(QStringLiteral("Chalet"), K::Place, A::Indefinite, QStringLiteral("neu")),
              QStringLiteral("einen neuen Eintrag \"Chalet\""));
    EXPECT_EQ(NominativeOf(QStringLiteral("Chalet"), K::Place, A::Definite, QStringLiteral("\"12\"")),
              QStringLiteral("der Eintrag \"12\" (Chalet)"));
    EXPECT_EQ(GenitiveOf(QStringLiteral("Chalet"), QStringLiteral("Chalets"), K::Place, A::This),
              QStringLiteral("dieses Eintrags \"Chalet\""));
    EXPECT_EQ(NoneOf(QStringLiteral("Chalet"), K::Place), QStringLiteral("kein Eintrag"));
    // An empty term (no row in the table) leaves no empty quotes behind.
    EXPECT_EQ(AccusativeOf(QString(), K::Person, A::Indefinite), QStringLiteral("einen Eintrag"));
}

// The texts of several windows, with the house's own words.
TEST_F(ResourceArrays, TheTextsDeclineTheHousesTerms)
{
    const test::GlobalsScope keepTerms;
    TermPersonSingular = QStringLiteral("Bewohnerin");
    EXPECT_EQ(GuestRequiredText(), QStringLiteral("Sie müssen eine Bewohnerin angeben, um die Reservierung zu vervollständigen."));
    EXPECT_EQ(GuestDeletedText(QStringLiteral("Meier, Anna")),
              QStringLiteral("Die Bewohnerin \"Meier, Anna\" wurde inzwischen an einem anderen Arbeitsplatz gelöscht. Die "
                             "Reservierung wurde nicht gespeichert.\n\nMöchten Sie eine andere Bewohnerin wählen?"));
    EXPECT_EQ(GuestGoneText(QStringLiteral("Anna Meier")),
              QStringLiteral("Die Bewohnerin \"Anna Meier\" wurde inzwischen an einem anderen Arbeitsplatz gelöscht und kann "
                             "nicht übernommen werden."));

    TermPersonSingular = QStringLiteral("Au-pair");
    EXPECT_EQ(GuestRequiredText(), QStringLiteral("Sie müssen einen Eintrag \"Au-pair\" angeben, um die Reservierung zu "
                                                  "vervollständigen."));
    EXPECT_TRUE(GuestGoneText(QStringLiteral("Anna Meier")).startsWith(QStringLiteral("Der Eintrag \"Anna Meier\" (Au-pair) wurde")));

    TermPlaceSingular = QStringLiteral("Wohnung");
    EXPECT_EQ(ResourceRowName(ResourceKind::Place, QStringLiteral("12"), 4), QStringLiteral("Die Wohnung \"12\""));
    TermPlaceSingular = QStringLiteral("Chalet");
    EXPECT_EQ(ResourceRowName(ResourceKind::Place, QString(), 4), QStringLiteral("Der Eintrag Nr. 4 (Chalet)"));
}

// Every text that splices the house's words, for the words houses use: weak
// masculine words take "-n" outside the nominative, a stored genitive counts
// only when it is built on the singular.
TEST_F(ResourceArrays, EveryTextThatSplicesATermReadsRight)
{
    struct Person {
        const char *singular, *plural, *storedGenitive;
        const char *one, *newOne, *surplus, *subject, *pronoun, *genitive, *title;
    };
    const Person persons[] = {
        {"Gast", "Gäste", "Gastes", "einen Gast", "einen neuen Gast", "DIESEN unnötig angelegten Gast", "Dieser Gast", "er",
         "dieses Gastes", "Gastsuche"},
        // A genitive left from the word before is not taken.
        {"Kunde", "Kunden", "Gastes", "einen Kunden", "einen neuen Kunden", "DIESEN unnötig angelegten Kunden", "Dieser Kunde",
         "er", "dieses Kunden", "Kundensuche"},
        {"Patient", "Patienten", "", "einen Patienten", "einen neuen Patienten", "DIESEN unnötig angelegten Patienten",
         "Dieser Patient", "er", "dieses Patienten", "Patientensuche"},
        {"Person", "Personen", "Person", "eine Person", "eine neue Person", "DIESE unnötig angelegte Person", "Diese Person",
         "sie", "dieser Person", "Personensuche"},
        {"Bewohnerin", "Bewohnerinnen", "", "eine Bewohnerin", "eine neue Bewohnerin", "DIESE unnötig angelegte Bewohnerin",
         "Diese Bewohnerin", "sie", "dieser Bewohnerin", "Bewohnerinnensuche"},
        {"Mitglied", "Mitglieder", "Mitgliedes", "ein Mitglied", "ein neues Mitglied", "DIESES unnötig angelegte Mitglied",
         "Dieses Mitglied", "es", "dieses Mitgliedes", "Mitgliedersuche"},
    };
    const test::GlobalsScope keepTerms;
    const auto q = [](const char* text) { return QString::fromUtf8(text); };
    for (const Person& r : persons) {
        SCOPED_TRACE(r.singular);
        exec(QStringLiteral("DELETE FROM tbl_gui_terms"));
        exec(QStringLiteral("INSERT INTO tbl_gui_terms VALUES (5, '%1', '%2', '%3')").arg(r.singular, r.plural, r.storedGenitive));
        FillResourceArrays();
        EXPECT_EQ(GuestRequiredText(), "Sie müssen " + q(r.one) + " angeben, um die Reservierung zu vervollständigen.");
        EXPECT_EQ(NewPersonRequiredText(), "Bitte legen Sie " + q(r.newOne) + " an,\nindem Sie wenigstens den Nachnamen eingeben.");
        EXPECT_EQ(SurplusPersonReminder(), "Bitte vergessen Sie nicht, ggf. nachträglich " + q(r.surplus) + " zu löschen.");
        EXPECT_EQ(PersonDeleteRefusedText("1 Buchung"), q(r.subject) + " darf nicht gelöscht werden,\nda " + q(r.pronoun)
                                                            + " noch 1 Buchung hat,\nderen Zuordnung sonst verloren ginge.");
        EXPECT_EQ(PersonBookingsTip(), "alle Buchungen " + q(r.genitive) + " auflisten");
        EXPECT_EQ(PersonSearchTitle(), q(r.title) + " und -details");
    }
    // A word that makes no German compound stands apart.
    exec(QStringLiteral("UPDATE tbl_gui_terms SET gt_singular = 'Au-pair', gt_plural = 'Au-pairs'"));
    FillResourceArrays();
    EXPECT_EQ(PersonSearchTitle(), QStringLiteral("Suche und Details: Au-pairs"));

    struct Place {
        const char *singular, *one, *named, *symbols;
    };
    for (const Place& r : {Place{"Zimmer", "ein Zimmer", "Das Zimmer", "Zimmer"},
                           Place{"Wohnung", "eine Wohnung", "Die Wohnung", "Wohnungs"},
                           Place{"Bungalow", "einen Bungalow", "Der Bungalow", "Bungalow"},
                           Place{"Kabine", "eine Kabine", "Die Kabine", "Kabinen"}}) {
        SCOPED_TRACE(r.singular);
        TermPlaceSingular = q(r.singular);
        EXPECT_EQ(AccusativeOf(TermPlaceSingular, TermKind::Place, Article::Indefinite), q(r.one));
        EXPECT_EQ(ResourceRowName(ResourceKind::Place, QStringLiteral("12"), 4), q(r.named) + " \"12\"");
        EXPECT_EQ(FloorPlanHintText(), "Sie können jetzt " + q(r.symbols) + "-Symbole mit der Maus verschieben...");
    }
}

TEST_F(ResourceArrays, AnUnreadableTableIsReportedAndTheNextStillLoads)
{
    exec(QStringLiteral("INSERT INTO tbl_colors VALUES (1, 'FF')"));
    FillResourceArrays();
    exec(QStringLiteral("DROP TABLE tbl_colors"));
    exec(QStringLiteral("INSERT INTO tbl_gui_terms (gt_id, gt_singular) VALUES (1, 'Bett')"));
    RoomTypes.push_back(RoomType{4, QStringLiteral("Suite"), 0, 0});

    dialogs->answerMessage(ui::Answer::Ok);
    FillResourceArrays();
    EXPECT_TRUE(dialogs->lastMessage().text.startsWith(
        QStringLiteral("Error in {FillResourceArrays} while reading the resource table/field tbl_colors!\n\n")));
    EXPECT_EQ(TermPlaceSingular, QStringLiteral("Bett"));
    EXPECT_EQ(ColorCount, 1);   // the colours read before stay whole
    EXPECT_EQ(RoomTypes.size(), 1u);
}

TEST_F(ResourceArrays, RoomTypesInIdOrderListedWithPrices)
{
    exec(QStringLiteral("INSERT INTO tbl_room_types VALUES (7, 'Doppelzimmer'), (3, 'Einzelzimmer'), (9, NULL)"));
    LoadRoomTypes(1);
    ASSERT_EQ(RoomTypes.size(), 4u);
    EXPECT_EQ(RoomTypes[0].id, 0);
    EXPECT_EQ(RoomTypes[1].id, 3);
    EXPECT_EQ(RoomTypes[3].id, 9);
    // Each category takes its colour from a fixed palette by its id.
    EXPECT_EQ(RoomTypes[0].colour, 0);
    EXPECT_EQ(RoomTypes[1].colour, RoomTypeColour(3));
    EXPECT_EQ(RoomTypes[2].colour, RoomTypeColour(7));

    RoomTypes[2].price = 65;
    QComboBox combo;
    std::vector<bool> fillingSeen;
    QObject::connect(&combo, &QComboBox::currentIndexChanged, [&] { fillingSeen.push_back(FillingLists); });
    FillListRoomTypes(&combo, 0, 7);
    ASSERT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.itemText(1), QStringLiteral("Doppelzimmer (65,00 €)"));
    EXPECT_EQ(combo.currentData().toInt(), 7);
    ASSERT_FALSE(fillingSeen.empty());
    EXPECT_EQ(fillingSeen, std::vector<bool>(fillingSeen.size(), true));
    EXPECT_FALSE(FillingLists);
    FillListRoomTypes(&combo, 0, 0);
    EXPECT_EQ(combo.currentIndex(), 0);

    QListWidget list;
    FillListRoomTypes(&list, 0, 42);
    EXPECT_EQ(list.count(), 2);
    EXPECT_TRUE(list.selectedItems().isEmpty());
}

}  // namespace

TEST(RoomTypeColours, AFixedPaletteApartFromThePlansOwnColours)
{
    std::set<qint32> seen;
    for (qint32 id = 1; id <= 12; ++id) {
        const qint32 colour = RoomTypeColour(id);
        EXPECT_TRUE(seen.insert(colour).second) << "id " << id << " repeats a colour";
        for (qint32 own : {0xFF00, 0x40FF, 0x808080, 0})
            EXPECT_NE(colour, own) << "id " << id;
    }
    EXPECT_EQ(RoomTypeColour(13), RoomTypeColour(1)) << "the palette repeats after its last colour";
    EXPECT_EQ(RoomTypeColour(0), 0);
    EXPECT_EQ(RoomTypeColour(-4), 0);
}
