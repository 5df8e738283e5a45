#include "platform/ui/desktop.h"
#include "tests/support/scripted_dialogs.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace {

QWidget* pressTab(Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
    return QApplication::focusWidget();
}

std::unique_ptr<QWidget> shownWindow(const QString& name, const QRect& geometry)
{
    auto window = std::make_unique<QWidget>();
    window->setObjectName(name);
    window->setGeometry(geometry);
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    return window;
}

}  // namespace

TEST(DesktopConventions, TabLeavesTablesListsAndTextFieldsWhileArrowsMoveInside)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* first = new QLineEdit;
    auto* table = new QTableWidget(3, 3);
    auto* list = new QListWidget;
    list->addItems({QStringLiteral("a"), QStringLiteral("b")});
    auto* notes = new QPlainTextEdit;
    auto* save = new QPushButton(QStringLiteral("Speichern"));
    for (QWidget* w : std::initializer_list<QWidget*>{first, table, list, notes, save})
        layout->addWidget(w);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    first->setFocus();
    table->setCurrentCell(0, 0);
    EXPECT_EQ(pressTab(), table);
    QTest::keyClick(table, Qt::Key_Right);
    EXPECT_EQ(table->currentColumn(), 1);
    EXPECT_EQ(QApplication::focusWidget(), table);
    EXPECT_EQ(pressTab(), list);
    EXPECT_EQ(pressTab(), notes);
    EXPECT_EQ(pressTab(), save);
    EXPECT_EQ(pressTab(), first);
    EXPECT_EQ(pressTab(Qt::ShiftModifier), save);
    EXPECT_EQ(pressTab(Qt::ShiftModifier), notes);
    EXPECT_TRUE(notes->toPlainText().isEmpty());
}

TEST(DesktopConventions, AWindowOpensCentredOverItsOpenerThenWhereTheUserLeftIt)
{
    const auto opener = shownWindow(QStringLiteral("Plan"), QRect(100, 80, 700, 500));

    auto book = std::make_unique<QWidget>();
    book->setObjectName(QStringLiteral("Buchungen"));
    book->resize(300, 200);
    book->show();
    EXPECT_LE((book->frameGeometry().center() - opener->frameGeometry().center()).manhattanLength(), 2);

    book->move(40, 50);
    book->resize(320, 210);
    book->hide();
    opener->activateWindow();
    book->show();
    EXPECT_EQ(book->pos(), QPoint(40, 50));

    // A new instance of the window (closed for good in between) comes back there too.
    book.reset();
    auto again = std::make_unique<QWidget>();
    again->setObjectName(QStringLiteral("Buchungen"));
    again->show();
    EXPECT_EQ(again->pos(), QPoint(40, 50));
    EXPECT_EQ(again->size(), QSize(320, 210));

    // A position the program gives stands.
    QWidget picker(nullptr, Qt::Tool);
    picker.setObjectName(QStringLiteral("Kalender"));
    picker.move(500, 300);
    picker.show();
    EXPECT_EQ(picker.pos(), QPoint(500, 300));
    picker.hide();
    picker.move(510, 320);
    picker.show();
    EXPECT_EQ(picker.pos(), QPoint(510, 320));
}

TEST(DesktopConventions, AWindowTooBigForTheScreenIsShrunkOntoIt)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget big;
    big.setObjectName(QStringLiteral("Gross"));
    big.resize(screen.width() + 300, screen.height() + 200);
    big.show();
    EXPECT_LT(big.width(), screen.width());
    EXPECT_LT(big.height(), screen.height());
    EXPECT_TRUE(screen.contains(big.frameGeometry()));
}

TEST(DesktopConventions, ADialogStandsOverTheWindowBroughtToTheFrontUntilTheUserActivatesAnother)
{
    const auto plan = shownWindow(QStringLiteral("Plan"), QRect(0, 0, 600, 400));
    const auto addresses = shownWindow(QStringLiteral("Adressen"), QRect(650, 0, 600, 400));
    plan->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(plan.get()));

    ui::bringToFront(addresses.get());
    EXPECT_EQ(ui::dialogOwner(), addresses.get());
    test::DialogScope dialogs;
    dialogs->answerMessage(ui::Answer::Ok);
    ui::msgBox(QStringLiteral("Frage"), ui::OkCancel);
    EXPECT_EQ(dialogs->lastMessage().owner, addresses.get());

    addresses->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(addresses.get()));
    plan->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(plan.get()));
    EXPECT_EQ(ui::dialogOwner(), plan.get());
}

TEST(DesktopConventions, AFieldTabReachesInAScrolledAreaIsScrolledIntoView)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* before = new QPushButton(QStringLiteral("oben"));
    auto* area = new QScrollArea;
    auto* inner = new QWidget;
    auto* innerLayout = new QVBoxLayout(inner);
    std::vector<QLineEdit*> fields;
    for (int i = 0; i < 40; ++i) {
        fields.push_back(new QLineEdit);
        innerLayout->addWidget(fields.back());
    }
    area->setWidget(inner);
    area->setWidgetResizable(true);
    area->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(before);
    layout->addWidget(area);
    window.resize(300, 200);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    before->setFocus();
    // Backwards from the first control: round to the last field of the area.
    EXPECT_EQ(pressTab(Qt::ShiftModifier), fields.back());
    EXPECT_GT(area->verticalScrollBar()->value(), 0);
    const QRect shown = area->viewport()->rect();
    EXPECT_TRUE(shown.contains(QRect(fields.back()->mapTo(area->viewport(), QPoint(0, 0)), fields.back()->size())));
}

TEST(DesktopConventions, ANoteAsTheListsOnlyLineSpansItsColumnsAndAListOfRowsDoesNot)
{
    constexpr int IdRole = Qt::UserRole;
    QStandardItemModel model(0, 3);
    QTableView view;
    view.setModel(&model);
    ui::spanNoteLine(&view, IdRole);

    const auto line = [&](qint32 id) {
        QList<QStandardItem*> items{new QStandardItem(QStringLiteral("keine Einträge gefunden")), new QStandardItem,
                                    new QStandardItem};
        items[0]->setData(id, IdRole);
        model.appendRow(items);
    };
    line(0);
    EXPECT_EQ(view.columnSpan(0, 0), 3);
    // A found customer in a list of one stays in its own columns.
    model.removeRows(0, 1);
    line(17);
    EXPECT_EQ(view.columnSpan(0, 0), 1);
    line(18);
    EXPECT_EQ(view.columnSpan(0, 0), 1);
    model.removeRows(0, 2);
    line(0);
    EXPECT_EQ(view.columnSpan(0, 0), 3);
}
