#pragma once

#include <QByteArray>
#include <QColor>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace ui {

// Message box style, combinable with |; the values are the classic ones so a
// style can be read straight off an older description.
enum MsgStyle : int {
    OkOnly = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
    // "Wiederholen" and "Beenden" (answers Retry and Abort); Escape retries.
    RetryEnd = 6,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
    DefaultButton1 = 0,
    DefaultButton2 = 256,
    DefaultButton3 = 512,
    // Escape and the close box answer Back, not a button: for questions whose
    // buttons all go on, one of them by dropping what the user made.
    EscapeGoesBack = 0x10000,
};

// The button the user pressed.
// Back: the box was left by Escape or its close box where EscapeGoesBack was asked.
enum class Answer : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7, Back = 8 };

enum class Buttons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel, RetryEnd };
enum class Icon { None, Critical, Question, Exclamation, Information };

struct MessageRequest {
    // Longer texts are cut in the middle: a box that tried to lay out a text
    // of any length could bring the program down.
    static constexpr int MaxTextLength = 4000;
    static constexpr int MaxTitleLength = 200;

    QString text;
    QString title;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    int defaultButton = 1;  // 1 to 3, left to right
    bool escapeGoesBack = false;

    static MessageRequest fromStyle(const QString& text, int style, const QString& title);
    // What pressing Escape or closing the box answers.
    Answer escapeAnswer() const;
    Answer defaultAnswer() const;
};

struct FileRequest {
    QString title;
    QString directory;  // start folder
    QString fileName;   // proposed name
    QString filter;     // e.g. "Bilder (*.jpg;*.gif)"; patterns apart by ";" or blanks
};

// Every dialog and every hand-over to the desktop goes through here, so tests
// can answer them instead of a person.
class DialogService {
public:
    virtual ~DialogService() = default;

    virtual Answer message(const MessageRequest& request) = 0;
    // nullopt when cancelled.
    virtual std::optional<QString> input(const QString& prompt, const QString& title, const QString& defaultText) = 0;
    // A hidden entry (the password box); nullopt when cancelled.
    virtual std::optional<QString> password(const QString& prompt, const QString& title) = 0;
    // "" when cancelled.
    virtual QString openFile(const FileRequest& request) = 0;
    virtual QString saveFile(const FileRequest& request) = 0;
    virtual QString folder(const QString& title, const QString& startFolder) = 0;
    virtual std::optional<QColor> color(const QColor& initial, const QString& title) = 0;
    // Opens a file or URL with the desktop's program; false when that failed.
    virtual bool openExternal(const QString& fileOrUrl) = 0;

    // The service in use; a Qt one unless something else was installed.
    static DialogService& instance();
    // Installs a service and returns the previous one.
    static std::unique_ptr<DialogService> install(std::unique_ptr<DialogService> service);
};

// Stands while a dialog waits for the user. A question shows the normal
// pointer, also where the work that asks holds the hourglass; and the
// program's windows that stay on top of all others (notices) step aside
// until the dialog is answered, so none covers it. The window the dialog
// stands over keeps its place.
class AskingScope {
public:
    explicit AskingScope(bool question);
    ~AskingScope();
    AskingScope(const AskingScope&) = delete;
    AskingScope& operator=(const AskingScope&) = delete;

private:
    struct Hidden {
        QPointer<QWidget> window;
        QByteArray geometry;
    };
    bool m_arrow = false;
    QPointer<QWidget> m_owner;
    std::vector<Hidden> m_hidden;
};

// The caption of a box whose caller gives none (the program's title).
void setDefaultTitle(std::function<QString()> title);
QString defaultTitle();

// Short forms for the common calls; an empty title is the default title.
Answer msgBox(const QString& text, int style = OkOnly, const QString& title = QString());
std::optional<QString> inputBox(const QString& prompt, const QString& title = QString(), const QString& defaultText = QString());

}  // namespace ui
