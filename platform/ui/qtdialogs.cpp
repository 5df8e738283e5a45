#include "platform/ui/qtdialogs.h"

#include "platform/ui/desktop.h"
#include "platform/ui/inputbox.h"

#include <QLabel>
#include <QLineEdit>

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

namespace ui {

namespace {

QString appTitle()
{
    if (const QString title = defaultTitle(); !title.isEmpty())
        return title;
    return QApplication::applicationDisplayName().isEmpty() ? QApplication::applicationName()
                                                            : QApplication::applicationDisplayName();
}

QWidget* parentWindow()
{
    QWidget* owner = dialogOwner();
    if (owner)
        owner->raise();
    return owner;
}

// A box whose Escape and close box may answer none of its buttons.
class MessageBox : public QMessageBox {
public:
    MessageBox(QWidget* parent, bool escapeGoesBack) : QMessageBox(parent), m_back(escapeGoesBack) {}

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (m_back && e->matches(QKeySequence::Cancel)) {
            reject();
            return;
        }
        QMessageBox::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override
    {
        if (!m_back) {
            QMessageBox::closeEvent(e);
            return;
        }
        e->accept();
        reject();
    }

private:
    bool m_back;
};

}  // namespace

Answer QtDialogService::message(const MessageRequest& request)
{
    MessageBox box(parentWindow(), request.escapeGoesBack);
    box.setWindowTitle(request.title.isEmpty() ? appTitle() : request.title);
    // Names a user typed stand in the texts: shown as typed, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(request.text);
    switch (request.icon) {
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    struct Choice { Answer answer; QString label; QMessageBox::ButtonRole role; };
    std::vector<Choice> choices;
    switch (request.buttons) {
    case Buttons::Ok: choices = {{Answer::Ok, QStringLiteral("OK"), QMessageBox::AcceptRole}}; break;
    case Buttons::OkCancel:
        choices = {{Answer::Ok, QStringLiteral("OK"), QMessageBox::AcceptRole},
                   {Answer::Cancel, QStringLiteral("Abbrechen"), QMessageBox::RejectRole}};
        break;
    case Buttons::AbortRetryIgnore:
        choices = {{Answer::Abort, QStringLiteral("&Abbrechen"), QMessageBox::RejectRole},
                   {Answer::Retry, QStringLiteral("&Wiederholen"), QMessageBox::AcceptRole},
                   {Answer::Ignore, QStringLiteral("&Ignorieren"), QMessageBox::AcceptRole}};
        break;
    case Buttons::YesNoCancel:
        choices = {{Answer::Yes, QStringLiteral("&Ja"), QMessageBox::YesRole},
                   {Answer::No, QStringLiteral("&Nein"), QMessageBox::NoRole},
                   {Answer::Cancel, QStringLiteral("Abbrechen"), QMessageBox::RejectRole}};
        break;
    case Buttons::YesNo:
        choices = {{Answer::Yes, QStringLiteral("&Ja"), QMessageBox::YesRole},
                   {Answer::No, QStringLiteral("&Nein"), QMessageBox::NoRole}};
        break;
    case Buttons::RetryCancel:
        choices = {{Answer::Retry, QStringLiteral("&Wiederholen"), QMessageBox::AcceptRole},
                   {Answer::Cancel, QStringLiteral("Abbrechen"), QMessageBox::RejectRole}};
        break;
    case Buttons::RetryEnd:
        choices = {{Answer::Retry, QStringLiteral("&Wiederholen"), QMessageBox::AcceptRole},
                   {Answer::Abort, QStringLiteral("&Beenden"), QMessageBox::DestructiveRole}};
        break;
    }
    std::vector<QAbstractButton*> buttons;
    for (const auto& c : choices)
        buttons.push_back(box.addButton(c.label, c.role));
    const Answer escape = request.escapeAnswer();
    const Answer def = request.defaultAnswer();
    for (size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].answer == def)
            box.setDefaultButton(static_cast<QPushButton*>(buttons[i]));
        if (choices[i].answer == escape && !request.escapeGoesBack)
            box.setEscapeButton(buttons[i]);
    }
    box.exec();
    for (size_t i = 0; i < choices.size(); ++i) {
        if (box.clickedButton() == buttons[i])
            return choices[i].answer;
    }
    return escape;
}

std::optional<QString> QtDialogService::input(const QString& prompt, const QString& title, const QString& defaultText)
{
    const AskingScope asking(true);
    bool ok = false;
    QString text = QInputDialog::getText(parentWindow(), title.isEmpty() ? appTitle() : title, prompt,
                                         QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtDialogService::password(const QString& prompt, const QString& title)
{
    const AskingScope asking(true);
    // A fresh window each time, so nothing of an earlier entry is left.
    frmInputBox box(parentWindow());
    box.lbMsg->setText(prompt);
    box.setWindowTitle(title.isEmpty() ? appTitle() : title);
    box.exec();
    if (box.okTag().isEmpty())
        return std::nullopt;
    return box.Text1->text();
}

QString qtFileFilter(const QString& filter)
{
    QStringList converted;
    for (const QString& one : filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts)) {
        const qsizetype open = one.lastIndexOf(QLatin1Char('('));
        if (open < 0 || !one.endsWith(QLatin1Char(')'))) {
            converted << one;
            continue;
        }
        QStringList patterns;
        const QString inner = one.mid(open + 1, one.size() - open - 2);
        for (const QString& pattern : inner.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts)) {
            if (!patterns.contains(pattern))
                patterns << pattern;
        }
        const qsizetype lower = patterns.size();
        for (qsizetype i = 0; i < lower; ++i) {
            const QString upper = patterns.at(i).toUpper();
            if (!patterns.contains(upper))
                patterns << upper;
        }
        converted << one.left(open + 1) + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return converted.join(QStringLiteral(";;"));
}

QString QtDialogService::openFile(const FileRequest& request)
{
    QString start = request.directory;
    if (!request.fileName.isEmpty())
        start = start.isEmpty() ? request.fileName : start + QLatin1Char('/') + request.fileName;
    const AskingScope asking(true);
    return QFileDialog::getOpenFileName(parentWindow(), request.title, start, qtFileFilter(request.filter));
}

QString QtDialogService::saveFile(const FileRequest& request)
{
    QString start = request.directory;
    if (!request.fileName.isEmpty())
        start = start.isEmpty() ? request.fileName : start + QLatin1Char('/') + request.fileName;
    const AskingScope asking(true);
    return QFileDialog::getSaveFileName(parentWindow(), request.title, start, qtFileFilter(request.filter));
}

QString QtDialogService::folder(const QString& title, const QString& startFolder)
{
    const AskingScope asking(true);
    return QFileDialog::getExistingDirectory(parentWindow(), title, startFolder);
}

std::optional<QColor> QtDialogService::color(const QColor& initial, const QString& title)
{
    const AskingScope asking(true);
    QColor c = QColorDialog::getColor(initial, parentWindow(), title);
    if (!c.isValid())
        return std::nullopt;
    return c;
}

bool QtDialogService::openExternal(const QString& fileOrUrl)
{
    QUrl url = QUrl::fromUserInput(fileOrUrl, QString(), QUrl::AssumeLocalFile);
    if (QFileInfo(fileOrUrl).isAbsolute() || QFileInfo::exists(fileOrUrl))
        url = QUrl::fromLocalFile(QFileInfo(fileOrUrl).absoluteFilePath());
    return QDesktopServices::openUrl(url);
}

}  // namespace ui
