#pragma once

#include <QString>

#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

// Texts every window shares, set by InitGlobalTexts.
extern QString VersionText;     // "major.minor" with the revision written straight after the minor
extern QString AppTitle;        // title of every message box
extern QString TextUnnamed;     // "  unbenannt"
extern QString TextAll;         // "     alle"
extern QString SalutationHerr;
extern QString SalutationFrau;

// Text number `number` of the message table with each placeholder replaced by
// its value: pairs in the order given, every occurrence, case-sensitive, the
// inserted values never searched again. So "%s" listed before "%s1" eats the
// start of "%s1"; numbered placeholders go first. An unknown number shows a
// message box and gives "".
QString GetResString(int number, std::initializer_list<std::pair<QString, QString>> replacements = {});

// The table as loaded, and the numbers its file holds more than once (the
// first one wins).
struct MessageTable {
    std::map<int, QString> texts;
    std::vector<int> duplicates;
    std::vector<QString> badLines;
};
const MessageTable& messageTable();

// Fills the global texts above and the date patterns (InitDateFormat).
void InitGlobalTexts();
