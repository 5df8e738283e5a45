#pragma once

#include "platform/ui/dialogs.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <deque>
#include <functional>
#include <utility>
#include <variant>
#include <vector>

namespace test {

// Stands in for every dialog while a test runs: records each call and gives
// the answers the test planned, in order. A dialog nobody planned fails the
// test and gets the harmless answer (Cancel, No, nothing chosen), so no test
// ever waits for a person.
class ScriptedDialogs : public ui::DialogService {
public:
    enum class Kind { Message, Input, Password, OpenFile, SaveFile, Folder, Color, OpenExternal };

    struct Call {
        Kind kind;
        QString text;   // message text, prompt, or the file/URL opened
        QString title;
        ui::Buttons buttons = ui::Buttons::Ok;
        ui::Icon icon = ui::Icon::None;
        int defaultButton = 1;
        bool escapeGoesBack = false;
        QPointer<QWidget> owner = {};   // the window the box stands over
        Qt::CursorShape pointer = Qt::ArrowCursor;   // what the mouse pointer showed while the box stood
    };

    // Plans, consumed in order per kind.
    void answerMessage(ui::Answer answer) { m_messages.push_back({Press::Button, answer}); }
    // The user presses Escape: the box answers as its Escape does.
    void answerEscape() { m_messages.push_back({Press::Escape, {}}); }
    // The user presses Enter: the box answers with its default button.
    void answerDefault() { m_messages.push_back({Press::Enter, {}}); }
    void answerInput(std::optional<QString> text) { m_inputs.push_back(std::move(text)); }
    // The password box: the entry and OK, or nullopt for Cancel.
    void answerPassword(std::optional<QString> text) { m_passwords.push_back(std::move(text)); }
    void answerFile(const QString& path) { m_files.push_back(path); }
    void answerFolder(const QString& path) { m_folders.push_back(path); }
    void answerColor(std::optional<QColor> color) { m_colors.push_back(color); }
    // openExternal is always allowed; it only records and returns this.
    void setOpenExternalResult(bool ok) { m_openResult = ok; }
    // Runs work once, while the next message starting with textStart stands:
    // what another workstation does between a question and its answer.
    void whileAsked(const QString& textStart, std::function<void()> work)
    {
        m_whileAsked = {textStart, std::move(work)};
    }

    const std::vector<Call>& calls() const { return m_calls; }
    // The filter of the last file dialog.
    const QString& lastFileFilter() const { return m_lastFileFilter; }
    std::vector<Call> messages() const;
    const Call& lastMessage() const;
    std::vector<QString> opened() const;
    bool allAnswersUsed() const;

    ui::Answer message(const ui::MessageRequest& request) override;
    std::optional<QString> input(const QString& prompt, const QString& title, const QString& defaultText) override;
    std::optional<QString> password(const QString& prompt, const QString& title) override;
    QString openFile(const ui::FileRequest& request) override;
    QString saveFile(const ui::FileRequest& request) override;
    QString folder(const QString& title, const QString& startFolder) override;
    std::optional<QColor> color(const QColor& initial, const QString& title) override;
    bool openExternal(const QString& fileOrUrl) override;

private:
    enum class Press { Button, Escape, Enter };
    struct PlannedAnswer {
        Press press;
        ui::Answer button;
    };

    std::vector<Call> m_calls;
    QString m_lastFileFilter;
    std::deque<PlannedAnswer> m_messages;
    std::deque<std::optional<QString>> m_inputs;
    std::deque<std::optional<QString>> m_passwords;
    std::deque<QString> m_files;
    std::deque<QString> m_folders;
    std::deque<std::optional<QColor>> m_colors;
    bool m_openResult = true;
    std::pair<QString, std::function<void()>> m_whileAsked;
};

// Installs a ScriptedDialogs for its lifetime; at the end, answers the test
// planned but nobody asked for fail the test.
class DialogScope {
public:
    DialogScope();
    ~DialogScope();
    DialogScope(const DialogScope&) = delete;
    DialogScope& operator=(const DialogScope&) = delete;

    ScriptedDialogs& operator*() { return *m_dialogs; }
    ScriptedDialogs* operator->() { return m_dialogs; }

private:
    ScriptedDialogs* m_dialogs;
    std::unique_ptr<ui::DialogService> m_previous;
};

}  // namespace test
