#include "tests/support/globals_scope.h"

#include "core/address.h"
#include "core/database.h"
#include "core/datefunctions.h"
#include "core/globals.h"
#include "core/maintenancelog.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/wordctrl.h"
#include "core/workstation.h"

#include <tuple>

namespace test {

namespace {

// Every global the program keeps, by reference; the snapshot holds copies of
// the same shape.
auto programGlobals()
{
    return std::tie(InvoiceAddress, DbOpen, DateFormat, DateSeparator, DateTimeFormat, AppPath, DbFileName, DbPath,
                    ComputerName, UserName, MandantId, MandantName, FillingLists, Closing, LastDeactivatedForm,
                    CurrentPlaceName, PlanFormLoaded, InvoiceFormOpen, CallerForm, VersionText, AppTitle, TextUnnamed,
                    TextAll, SalutationHerr, SalutationFrau, AdminPassword, AdminPasswordActive, SecondAdminPassword,
                    AdminConfirmed, NormalTerminColor, TableFixedRowColBackColor, MaxWeekCols, BackupReminder,
                    BackupPath, PrintHeaderEnabled, PrinterLeftOffset, PrinterTopOffset, DayTableFontSize, MwStIncluded,
                    KeepAdrList, SelectedPeriod, ImageDir, FloorNames, MusterwocheDate, ColorCodes, ColorCount,
                    TermPlaceSingular, TermPlacePlural, TermPersonSingular, TermPersonPlural, TermPersonGenitive,
                    RoomTypes, WordDocOpen, StationId, StationName, StationReadOnly, TableAutoUpdate, StartPage,
                    ShutdownRequestedHere, EndRequested);
}

template <class... T>
std::tuple<std::decay_t<T>...> copyOf(const std::tuple<T&...>& refs)
{
    return std::apply([](auto&... values) { return std::tuple<std::decay_t<T>...>(values...); }, refs);
}

using Values = decltype(copyOf(programGlobals()));

}  // namespace

struct GlobalsScope::Snapshot {
    Values values;
};

GlobalsScope::GlobalsScope() : m_saved(std::make_unique<Snapshot>(Snapshot{copyOf(programGlobals())})) {}

GlobalsScope::~GlobalsScope()
{
    programGlobals() = m_saved->values;
}

}  // namespace test
