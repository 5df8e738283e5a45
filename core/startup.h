#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// The start of the program: single copy, settings file, database, upgrade,
// texts, workstation, preferences, terms and colours, then the main window.
void Main();
// The same, for a given program folder (the executable's folder in Main).
void StartProgram(const QString& programFolder);

// Runs the whole start-up again, after the current event (the settings
// window saved a new database file while none was open).
void RestartProgram();

// Dates and numbers are written and read the German way on every workstation
// (dd.mm.yyyy, decimal comma), whatever the system's locale, so that texts
// one workstation writes read the same on all; the database layer reads date
// texts with the program's own reading (ParseDateText). StartProgram does this
// first.
void UseProgramLocale();

// (Re)opens the main window on facility 1.
void ShowMainForm();

// Work a window must finish before the program ends, such as the save rules
// of an open invoice. unattended: nobody may be asked (the request that all
// stations end); the work then keeps the data instead of asking.
using ProgramEndWork = std::function<void(bool unattended)>;
// A window registers once (the id takes it back) and its work checks that the
// window still exists.
int AtProgramEnd(ProgramEndWork work);
void RemoveProgramEndWork(int id);

// What a window holds that nobody stored yet and that the program's end
// would throw away, as the user reads it ("Adressbuch: ..."); "" when nothing.
// Windows that store unasked at the end (the invoice window, the service
// catalogue) register end work instead, and report here only what that store
// did not write.
using UnsavedEditQuery = std::function<QString()>;
// Edits the end work stores are registered too, as StoredAtEnd: they are
// named only where the end work cannot run.
enum class EditKind { Unsaved, StoredAtEnd };
// A window registers once (the id takes it back), with itself where it can be
// brought to the front to show its edit.
int RegisterUnsavedEdit(UnsavedEditQuery query, QWidget* window = nullptr, EditKind kind = EditKind::Unsaved);
void UnregisterUnsavedEdit(int id);
// The unsaved edits of every registered window, one line each.
QStringList UnsavedEdits();
// Those and what the end work would store: what an end without the database
// loses.
QStringList EditsNotInTheDatabase();
// Brings the windows that hold an unsaved edit to the front.
void ShowUnsavedEdits();
// Registered for the lifetime of the window that holds it.
class UnsavedEditRegistration {
public:
    explicit UnsavedEditRegistration(UnsavedEditQuery query, QWidget* window = nullptr, EditKind kind = EditKind::Unsaved)
        : m_id(RegisterUnsavedEdit(std::move(query), window, kind))
    {
    }
    ~UnsavedEditRegistration() { UnregisterUnsavedEdit(m_id); }
    UnsavedEditRegistration(const UnsavedEditRegistration&) = delete;
    UnsavedEditRegistration& operator=(const UnsavedEditRegistration&) = delete;

private:
    int m_id;
};

// Runs the work registered for the end (AtProgramEnd) and nothing else. When
// every workstation is asked to end, this runs unattended before the station
// decides whether it may end: a window whose unattended store left fields
// unwritten (another workstation changed them) then reports them as an
// unsaved edit, so the station stays and names them.
void RunProgramEndWork(bool unattended);

// Runs the work registered for the end, logs the workstation out, closes the
// database and ends at once.
[[noreturn]] void ExitProgram(bool unattended = false);

// The end the user asked for (quit, closing the main window, the request
// that every station ends, this one included): AskProgramEnd, then
// ExitProgramAsked; when the end was called off it returns and the program
// goes on.
void QuitProgram();
// What every end the user asked for asks: runs the end work, which may ask,
// then names in one question what no end work asked about (the edits windows
// keep until they are saved). False when an end work called the end off or
// the question was answered with its default, Abbrechen, which shows the
// windows holding the edits.
bool AskProgramEnd();
// The one question before an end loses edits: lead, the edits one a line,
// "Wollen Sie ... trotzdem jetzt beenden?" (Abbrechen the default). True when
// there are none or the user agrees.
bool AgreeToLose(const QString& lead, const QStringList& edits);
// The end once AskProgramEnd agreed, also with work in between (the move of
// the installation): logs the workstation out, closes the database and ends,
// without running the end work again.
[[noreturn]] void ExitProgramAsked();
// End work whose question the user answered by going back to the edit
// (Abbrechen) calls this: a program end the user asked for is called off.
// Unattended ends do not stop for it.
void CallOffProgramEnd();

// True when another copy of the program from the same program folder runs
// for this user. The first call takes the lock, later calls in the same copy
// find it their own. Only a lock held by a live copy counts: when no lock can
// be made at all, that is said once and the answer is false.
bool AnotherCopyRuns(const QString& programFolder);
// The lock file that marks a running copy for a program folder; "" when
// neither a runtime nor a temporary folder is known.
QString SingleCopyLockPath(const QString& programFolder);
