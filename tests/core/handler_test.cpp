#include "core/handler.h"

#include "core/globals.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/windows.h"
#include "platform/db/error.h"
#include "platform/ui/busy.h"
#include "tests/support/globals_scope.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/window_hooks.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class ErrorBarrier : public ::testing::Test {
protected:
    test::GlobalsScope globals;
    test::DialogScope dialogs;
};

}  // namespace

TEST_F(ErrorBarrier, ADatabaseErrorIsReportedOnceAndTheGuardsArePutBack)
{
    dialogs->answerMessage(ui::Answer::Ok);
    FillingLists = false;
    Closing = false;
    const int cursors = ui::WaitCursor::depth();
    const bool ran = RunHandler(QStringLiteral("cmdSaveBooking_Click"), [] {
        ui::WaitCursor busy;
        FillingLists = true;
        Closing = true;
        auto* leaked = new ui::WaitCursor;  // a handler that forgot its own
        (void)leaked;
        throw db::DbError(db::err::ReadOnly);
    });
    EXPECT_FALSE(ran);
    EXPECT_FALSE(FillingLists);
    EXPECT_FALSE(Closing);
    EXPECT_EQ(ui::WaitCursor::depth(), cursors);
    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Critical);
    EXPECT_EQ(dialogs->lastMessage().text,
              QStringLiteral("Fehler in cmdSaveBooking_Click\nFehler 3027: ") + db::DbError(db::err::ReadOnly).description());
}

TEST_F(ErrorBarrier, OtherErrorsAreReportedAndSuccessIsSilent)
{
    dialogs->answerMessage(ui::Answer::Ok);
    EXPECT_FALSE(RunHandler(QStringLiteral("btnSave_Click"), [] { throw std::runtime_error("kaputt"); }));
    EXPECT_EQ(dialogs->lastMessage().text, QStringLiteral("Fehler in btnSave_Click\nkaputt"));
    int runs = 0;
    EXPECT_TRUE(RunHandler(QStringLiteral("btnRefresh_Click"), [&] { ++runs; }));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(dialogs->messages().size(), 1u);
}

TEST_F(ErrorBarrier, TheEndOfTheProgramPassesThrough)
{
    test::WindowHooks windows;
    EXPECT_THROW(RunHandler(QStringLiteral("btnClose_Click"), [] { EndProgram(); }), ProgramEnded);
    EXPECT_TRUE(dialogs->messages().empty());
}

TEST(GlobalsScopeTest, PutsBackWhatATestChanged)
{
    const qint32 mandant = MandantId;
    const rt::Date start = SelectedPeriod[0];
    {
        test::GlobalsScope scope;
        MandantId = mandant + 5;
        SelectedPeriod[0] = rt::Date::fromParts(2031, 1, 1);
        CurrentPlaceName = QStringLiteral("Zimmer 12");
    }
    EXPECT_EQ(MandantId, mandant);
    EXPECT_EQ(SelectedPeriod[0], start);
    EXPECT_TRUE(CurrentPlaceName.isEmpty());
}
