#include "platform/ui/dialogs.h"

#include "platform/runtime/text.h"
#include "platform/ui/desktop.h"
#include "platform/ui/qtdialogs.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

namespace ui {

namespace {
std::unique_ptr<DialogService>& current()
{
    static std::unique_ptr<DialogService> service;
    return service;
}

std::function<QString()>& titleSource()
{
    static std::function<QString()> source;
    return source;
}
}  // namespace

void setDefaultTitle(std::function<QString()> title)
{
    titleSource() = std::move(title);
}

QString defaultTitle()
{
    return titleSource() ? titleSource()() : QString();
}

MessageRequest MessageRequest::fromStyle(const QString& text, int style, const QString& title)
{
    MessageRequest r;
    r.text = rt::elide(text, MaxTextLength);
    r.title = rt::elide(title, MaxTitleLength);
    switch (style & 0x7) {
    case OkCancel: r.buttons = Buttons::OkCancel; break;
    case AbortRetryIgnore: r.buttons = Buttons::AbortRetryIgnore; break;
    case YesNoCancel: r.buttons = Buttons::YesNoCancel; break;
    case YesNo: r.buttons = Buttons::YesNo; break;
    case RetryCancel: r.buttons = Buttons::RetryCancel; break;
    case RetryEnd: r.buttons = Buttons::RetryEnd; break;
    default: r.buttons = Buttons::Ok; break;
    }
    switch (style & 0x70) {
    case Critical: r.icon = Icon::Critical; break;
    case Question: r.icon = Icon::Question; break;
    case Exclamation: r.icon = Icon::Exclamation; break;
    case Information: r.icon = Icon::Information; break;
    default: r.icon = Icon::None; break;
    }
    r.defaultButton = 1 + ((style & 0x300) >> 8);
    r.escapeGoesBack = (style & EscapeGoesBack) != 0;
    return r;
}

static std::vector<Answer> answersOf(Buttons b)
{
    switch (b) {
    case Buttons::Ok: return {Answer::Ok};
    case Buttons::OkCancel: return {Answer::Ok, Answer::Cancel};
    case Buttons::AbortRetryIgnore: return {Answer::Abort, Answer::Retry, Answer::Ignore};
    case Buttons::YesNoCancel: return {Answer::Yes, Answer::No, Answer::Cancel};
    case Buttons::YesNo: return {Answer::Yes, Answer::No};
    case Buttons::RetryCancel: return {Answer::Retry, Answer::Cancel};
    case Buttons::RetryEnd: return {Answer::Retry, Answer::Abort};
    }
    return {Answer::Ok};
}

Answer MessageRequest::defaultAnswer() const
{
    auto answers = answersOf(buttons);
    int i = std::clamp(defaultButton, 1, static_cast<int>(answers.size())) - 1;
    return answers[static_cast<size_t>(i)];
}

Answer MessageRequest::escapeAnswer() const
{
    if (escapeGoesBack)
        return Answer::Back;
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::YesNo: return Answer::No;
    case Buttons::AbortRetryIgnore: return Answer::Abort;
    // Ending is never what a key that dismisses does.
    case Buttons::RetryEnd: return Answer::Retry;
    default: return Answer::Cancel;
    }
}

DialogService& DialogService::instance()
{
    auto& s = current();
    if (!s)
        s = std::make_unique<QtDialogService>();
    return *s;
}

std::unique_ptr<DialogService> DialogService::install(std::unique_ptr<DialogService> service)
{
    auto previous = std::move(current());
    current() = std::move(service);
    return previous;
}

AskingScope::AskingScope(bool question)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    m_owner = dialogOwner();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = w->windowType();
        if (w != m_owner && w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint)
            && (type == Qt::Window || type == Qt::Tool || type == Qt::Dialog)) {
            m_hidden.push_back({w, w->saveGeometry()});
            w->hide();
        }
    }
    if (question) {
        QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
        m_arrow = true;
    }
}

AskingScope::~AskingScope()
{
    if (m_arrow)
        QApplication::restoreOverrideCursor();
    bool shown = false;
    for (const auto& [w, geometry] : m_hidden) {
        if (!w || !w->isHidden())
            continue;
        // Where it stood, not moved by the frame the window manager puts around it again.
        w->restoreGeometry(geometry);
        w->show();
        shown = true;
    }
    // The user goes on in the window the dialog stood over.
    if (shown && m_owner && m_owner->isVisible())
        m_owner->activateWindow();
}

Answer msgBox(const QString& text, int style, const QString& title)
{
    const MessageRequest request = MessageRequest::fromStyle(text, style, title.isEmpty() ? defaultTitle() : title);
    const AskingScope asking(request.buttons != Buttons::Ok);
    return DialogService::instance().message(request);
}

std::optional<QString> inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    return DialogService::instance().input(prompt, title.isEmpty() ? defaultTitle() : title, defaultText);
}

}  // namespace ui
