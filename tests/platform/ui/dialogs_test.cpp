#include "platform/ui/desktop.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qtdialogs.h"
#include "tests/support/scripted_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using ui::Answer;

TEST(MessageStyle, DecodesButtonsIconAndDefault)
{
    auto r = ui::MessageRequest::fromStyle("t", ui::YesNoCancel | ui::Question | ui::DefaultButton2, "T");
    EXPECT_EQ(r.buttons, ui::Buttons::YesNoCancel);
    EXPECT_EQ(r.icon, ui::Icon::Question);
    EXPECT_EQ(r.defaultButton, 2);
    EXPECT_EQ(r.defaultAnswer(), Answer::No);
    EXPECT_EQ(r.escapeAnswer(), Answer::Cancel);

    auto ok = ui::MessageRequest::fromStyle("t", ui::OkCancel | ui::Exclamation, "");
    EXPECT_EQ(ok.icon, ui::Icon::Exclamation);
    EXPECT_EQ(ok.defaultAnswer(), Answer::Ok);
    EXPECT_EQ(ui::MessageRequest::fromStyle("t", ui::YesNo | ui::Critical, "").escapeAnswer(), Answer::No);
    // A default beyond the buttons falls back to the last one.
    EXPECT_EQ(ui::MessageRequest::fromStyle("t", ui::OkOnly | ui::DefaultButton3, "").defaultAnswer(), Answer::Ok);
}

TEST(MessageStyle, EscapeGoesBackOnlyWhereAsked)
{
    auto r = ui::MessageRequest::fromStyle("t", ui::YesNo | ui::EscapeGoesBack, "T");
    EXPECT_EQ(r.buttons, ui::Buttons::YesNo);
    EXPECT_EQ(r.escapeAnswer(), Answer::Back);
    EXPECT_EQ(ui::MessageRequest::fromStyle("t", ui::OkCancel | ui::EscapeGoesBack, "").escapeAnswer(), Answer::Back);
    EXPECT_EQ(ui::MessageRequest::fromStyle("t", ui::OkCancel, "").escapeAnswer(), Answer::Cancel);
}

TEST(MessageStyle, TextsOfAnyLengthAreCutInTheMiddle)
{
    // A box asked to lay out a text of millions of characters brings the program down.
    const QString path = QStringLiteral("/srv/") + QString(5'000'000, QLatin1Char('x')) + QStringLiteral("/haus.mdb");
    auto r = ui::MessageRequest::fromStyle(QStringLiteral("Die Datenbank ") + path + QStringLiteral(" fehlt."), ui::OkOnly,
                                           QString(1000, QLatin1Char('T')));
    EXPECT_EQ(r.text.size(), ui::MessageRequest::MaxTextLength);
    EXPECT_TRUE(r.text.startsWith(QStringLiteral("Die Datenbank /srv/xxx")));
    EXPECT_TRUE(r.text.endsWith(QStringLiteral("xxx/haus.mdb fehlt.")));
    EXPECT_EQ(r.title.size(), ui::MessageRequest::MaxTitleLength);
    EXPECT_EQ(ui::MessageRequest::fromStyle(QStringLiteral("kurz"), ui::OkOnly, QString()).text, QStringLiteral("kurz"));
}

TEST(FileFilter, PatternsApartBySemicolonsAreOfferedInBothCases)
{
    EXPECT_EQ(ui::qtFileFilter(QStringLiteral("Bilddateien (*.jpg;*.gif;*.png)")),
              QStringLiteral("Bilddateien (*.jpg *.gif *.png *.JPG *.GIF *.PNG)"));
    EXPECT_EQ(ui::qtFileFilter(QStringLiteral("Datenbank (*.mdb);;Alle Dateien (*)")),
              QStringLiteral("Datenbank (*.mdb *.MDB);;Alle Dateien (*)"));
    EXPECT_EQ(ui::qtFileFilter(QString()), QString());
}

TEST(ScriptedDialogs, ReturnsPlannedAnswersAndRecordsCalls)
{
    test::DialogScope dialogs;
    dialogs->answerMessage(Answer::No);
    dialogs->answerInput(QStringLiteral("geheim"));
    dialogs->answerFile(QStringLiteral("/tmp/x.mdb"));

    EXPECT_EQ(ui::msgBox("Wirklich?", ui::YesNo | ui::Question, "Frage"), Answer::No);
    EXPECT_EQ(ui::inputBox("Passwort:"), std::optional<QString>("geheim"));
    EXPECT_EQ(ui::DialogService::instance().openFile({}), "/tmp/x.mdb");
    EXPECT_TRUE(ui::DialogService::instance().openExternal("/tmp/a.pdf"));

    ASSERT_EQ(dialogs->messages().size(), 1u);
    EXPECT_EQ(dialogs->lastMessage().title, "Frage");
    EXPECT_EQ(dialogs->lastMessage().text, "Wirklich?");
    EXPECT_EQ(dialogs->lastMessage().icon, ui::Icon::Question);
    EXPECT_EQ(dialogs->lastMessage().buttons, ui::Buttons::YesNo);
    EXPECT_EQ(dialogs->opened(), std::vector<QString>{"/tmp/a.pdf"});
}

TEST(ScriptedDialogs, UnplannedDialogFailsTheTestAndAnswersHarmlessly)
{
    test::ScriptedDialogs dialogs;
    Answer answer = Answer::Ok;
    EXPECT_NONFATAL_FAILURE(answer = dialogs.message(ui::MessageRequest::fromStyle("x", ui::YesNo, "")),
                            "unplanned message box");
    EXPECT_EQ(answer, Answer::No);
    std::optional<QString> text = QStringLiteral("x");
    EXPECT_NONFATAL_FAILURE(text = dialogs.input("p", "t", "d"), "unplanned input box");
    EXPECT_FALSE(text.has_value());
    QString file = QStringLiteral("x");
    EXPECT_NONFATAL_FAILURE(file = dialogs.openFile({}), "unplanned file dialog");
    EXPECT_TRUE(file.isEmpty());
}

TEST(ScriptedDialogs, UnusedPlanFailsAtScopeEnd)
{
    EXPECT_NONFATAL_FAILURE(
        {
            test::DialogScope dialogs;
            dialogs->answerMessage(Answer::Ok);
        },
        "never asked for");
}

namespace {

// Runs act on the message box once it is up, so no test waits on it.
Answer answerRealBox(int style, const std::function<void(QMessageBox*)>& act, QString* caption = nullptr,
                     const QString& text = QStringLiteral("Rechnung behalten?"))
{
    QTimer::singleShot(0, [act, caption] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            ADD_FAILURE() << "no message box up";
            return;
        }
        if (caption)
            *caption = box->windowTitle();
        act(box);
    });
    // A box left open by a failing act closes all the same.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget* open = QApplication::activeModalWidget())
            open->close();
    });
    guard.start(5000);
    ui::QtDialogService service;
    return service.message(ui::MessageRequest::fromStyle(text, style, QString()));
}

}  // namespace

TEST(QtMessageBox, EscapeAndCloseBoxGoBackWhereAskedElseGiveTheEscapeButton)
{
    const auto escape = [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); };
    EXPECT_EQ(answerRealBox(ui::YesNo | ui::EscapeGoesBack, escape), Answer::Back);
    EXPECT_EQ(answerRealBox(ui::OkCancel | ui::EscapeGoesBack, [](QMessageBox* box) { box->close(); }), Answer::Back);
    EXPECT_EQ(answerRealBox(ui::YesNo, escape), Answer::No);
    EXPECT_EQ(answerRealBox(ui::OkCancel, escape), Answer::Cancel);
    // The buttons still answer for themselves.
    const auto clickNo = [](QMessageBox* box) {
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == QStringLiteral("&Nein"))
                b->click();
        }
    };
    EXPECT_EQ(answerRealBox(ui::YesNo | ui::EscapeGoesBack, clickNo), Answer::No);
    // Enter takes the default button.
    const auto enter = [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); };
    EXPECT_EQ(answerRealBox(ui::OkCancel | ui::DefaultButton2 | ui::EscapeGoesBack, enter), Answer::Cancel);
    EXPECT_EQ(answerRealBox(ui::OkCancel | ui::EscapeGoesBack, enter), Answer::Ok);
}

TEST(QtMessageBox, ABoxWithoutTitleCarriesTheProgramsTitle)
{
    ui::setDefaultTitle([] { return QStringLiteral("VELMORANT"); });
    QString caption;
    answerRealBox(ui::OkOnly, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }, &caption);
    EXPECT_EQ(caption, QStringLiteral("VELMORANT"));

    test::DialogScope dialogs;
    dialogs->answerMessage(Answer::Ok);
    dialogs->answerMessage(Answer::Ok);
    ui::msgBox(QStringLiteral("Hinweis"));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("VELMORANT"));
    ui::msgBox(QStringLiteral("Hinweis"), ui::OkOnly, QStringLiteral("Eigener Titel"));
    EXPECT_EQ(dialogs->lastMessage().title, QStringLiteral("Eigener Titel"));
    ui::setDefaultTitle({});
}

TEST(PlainText, ANameThatLooksLikeMarkupIsShownAsTypedInABoxAndATooltip)
{
    const QString name = QStringLiteral("<b>Bi</b>rke");
    Qt::TextFormat format = Qt::AutoText;
    answerRealBox(ui::OkOnly, [&](QMessageBox* box) { format = box->textFormat(); box->close(); }, nullptr, name);
    EXPECT_EQ(format, Qt::PlainText);
    // Qt draws a tooltip that looks like markup as a document.
    QTextDocument tip;
    tip.setHtml(ui::plainToolTip(name));
    EXPECT_EQ(tip.toPlainText(), name);
}

namespace {

// Looks, while each box stands, whether the notice is up over it.
struct NoticeWatch : test::ScriptedDialogs {
    explicit NoticeWatch(const QWidget& notice) : notice(notice) {}
    ui::Answer message(const ui::MessageRequest& request) override
    {
        noticeUp.push_back(notice.isVisible());
        return ScriptedDialogs::message(request);
    }
    const QWidget& notice;
    std::vector<bool> noticeUp;
};

}  // namespace

TEST(Asking, NoNoticeStandsOverABoxButOverItsOwnQuestion)
{
    QWidget window;
    QWidget notice(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    notice.show();
    auto* watch = new NoticeWatch(notice);
    auto previous = ui::DialogService::install(std::unique_ptr<ui::DialogService>(watch));
    watch->answerMessage(Answer::Ok);
    watch->answerMessage(Answer::Ok);
    ui::bringToFront(&window);
    ui::msgBox(QStringLiteral("Gespeichert."));
    EXPECT_TRUE(notice.isVisible());
    ui::bringToFront(&notice);
    ui::msgBox(QStringLiteral("Trotzdem beenden?"), ui::OkCancel);
    EXPECT_EQ(watch->noticeUp, (std::vector<bool>{false, true}));
    ui::DialogService::install(std::move(previous));
}
