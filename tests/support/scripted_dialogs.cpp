#include "tests/support/scripted_dialogs.h"

#include "platform/ui/desktop.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace test {

std::vector<ScriptedDialogs::Call> ScriptedDialogs::messages() const
{
    std::vector<Call> out;
    for (const auto& c : m_calls) {
        if (c.kind == Kind::Message)
            out.push_back(c);
    }
    return out;
}

const ScriptedDialogs::Call& ScriptedDialogs::lastMessage() const
{
    for (auto it = m_calls.rbegin(); it != m_calls.rend(); ++it) {
        if (it->kind == Kind::Message)
            return *it;
    }
    static const Call none{Kind::Message, QStringLiteral("<no message>"), {}, ui::Buttons::Ok, ui::Icon::None, 1};
    ADD_FAILURE() << "no message box was shown";
    return none;
}

std::vector<QString> ScriptedDialogs::opened() const
{
    std::vector<QString> out;
    for (const auto& c : m_calls) {
        if (c.kind == Kind::OpenExternal)
            out.push_back(c.text);
    }
    return out;
}

bool ScriptedDialogs::allAnswersUsed() const
{
    return m_messages.empty() && m_inputs.empty() && m_passwords.empty() && m_files.empty() && m_folders.empty() && m_colors.empty();
}

ui::Answer ScriptedDialogs::message(const ui::MessageRequest& request)
{
    const QCursor* pointer = QApplication::overrideCursor();
    m_calls.push_back({Kind::Message, request.text, request.title, request.buttons, request.icon, request.defaultButton,
                       request.escapeGoesBack, ui::dialogOwner(), pointer ? pointer->shape() : Qt::ArrowCursor});
    if (m_whileAsked.second && request.text.startsWith(m_whileAsked.first))
        std::exchange(m_whileAsked.second, nullptr)();
    if (m_messages.empty()) {
        ADD_FAILURE() << "unplanned message box: title \"" << request.title.toStdString() << "\", text \""
                      << request.text.toStdString() << "\"";
        return request.escapeAnswer();
    }
    const PlannedAnswer planned = m_messages.front();
    m_messages.pop_front();
    switch (planned.press) {
    case Press::Escape: return request.escapeAnswer();
    case Press::Enter: return request.defaultAnswer();
    case Press::Button: break;
    }
    return planned.button;
}

std::optional<QString> ScriptedDialogs::input(const QString& prompt, const QString& title, const QString&)
{
    m_calls.push_back({Kind::Input, prompt, title});
    if (m_inputs.empty()) {
        ADD_FAILURE() << "unplanned input box: \"" << prompt.toStdString() << "\"";
        return std::nullopt;
    }
    const bool given = m_inputs.front().has_value();
    const QString text = given ? *m_inputs.front() : QString();
    m_inputs.pop_front();
    if (!given)
        return std::nullopt;
    return text;
}

std::optional<QString> ScriptedDialogs::password(const QString& prompt, const QString& title)
{
    m_calls.push_back({Kind::Password, prompt, title});
    if (m_passwords.empty()) {
        ADD_FAILURE() << "unplanned password box: \"" << prompt.toStdString() << "\"";
        return std::nullopt;
    }
    const bool given = m_passwords.front().has_value();
    const QString text = given ? *m_passwords.front() : QString();
    m_passwords.pop_front();
    if (!given)
        return std::nullopt;
    return text;
}

QString ScriptedDialogs::openFile(const ui::FileRequest& request)
{
    m_calls.push_back({Kind::OpenFile, request.fileName, request.title});
    m_lastFileFilter = request.filter;
    if (m_files.empty()) {
        ADD_FAILURE() << "unplanned file dialog: \"" << request.title.toStdString() << "\"";
        return {};
    }
    QString a = m_files.front();
    m_files.pop_front();
    return a;
}

QString ScriptedDialogs::saveFile(const ui::FileRequest& request)
{
    m_calls.push_back({Kind::SaveFile, request.fileName, request.title});
    m_lastFileFilter = request.filter;
    if (m_files.empty()) {
        ADD_FAILURE() << "unplanned save dialog: \"" << request.title.toStdString() << "\"";
        return {};
    }
    QString a = m_files.front();
    m_files.pop_front();
    return a;
}

QString ScriptedDialogs::folder(const QString& title, const QString& startFolder)
{
    m_calls.push_back({Kind::Folder, startFolder, title});
    if (m_folders.empty()) {
        ADD_FAILURE() << "unplanned folder dialog: \"" << title.toStdString() << "\"";
        return {};
    }
    QString a = m_folders.front();
    m_folders.pop_front();
    return a;
}

std::optional<QColor> ScriptedDialogs::color(const QColor&, const QString& title)
{
    m_calls.push_back({Kind::Color, QString(), title});
    if (m_colors.empty()) {
        ADD_FAILURE() << "unplanned colour dialog";
        return std::nullopt;
    }
    auto a = m_colors.front();
    m_colors.pop_front();
    return a;
}

bool ScriptedDialogs::openExternal(const QString& fileOrUrl)
{
    m_calls.push_back({Kind::OpenExternal, fileOrUrl, QString()});
    return m_openResult;
}

DialogScope::DialogScope()
{
    auto dialogs = std::make_unique<ScriptedDialogs>();
    m_dialogs = dialogs.get();
    m_previous = ui::DialogService::install(std::move(dialogs));
}

DialogScope::~DialogScope()
{
    EXPECT_TRUE(m_dialogs->allAnswersUsed()) << "a planned dialog answer was never asked for";
    ui::DialogService::install(std::move(m_previous));
}

}  // namespace test
