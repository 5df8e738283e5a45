#include "core/wordctrl.h"

#include "core/datefunctions.h"
#include "core/files.h"
#include "platform/runtime/format.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"
#include "platform/word/document.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

bool WordDocOpen = false;

namespace {

// Stands where the word processor's document object stood.
std::unique_ptr<word::Document> WordDoc;

const QString OpenErrorTitle = QStringLiteral("Fehler beim Öffnen des Word-Dokuments");
const QString SaveErrorTitle = QStringLiteral("Fehler beim Speichern des Word-Dokuments");
const QString AutomationErrorTitle = QStringLiteral("OLE-Automationsfehler");
const QString NoDocument = QStringLiteral("Es ist kein Word-Dokument geöffnet.");

}  // namespace

bool OpenWordDocument(const QString& file)
{
    if (file.isEmpty())
        return false;
    if (!FileExists(file)) {
        ui::msgBox(QStringLiteral("Das Word-Dokument\n") + file + QStringLiteral("\nkonnte nicht gefunden werden."),
                   ui::Exclamation, OpenErrorTitle);
        return false;
    }

    // FileExists reads "\" as a folder separator; the file must be opened as the one it found.
    const QString path = QString(file).replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString error;
    {
        ui::WaitCursor wait;
        ui::doEvents();
        try {
            WordDoc = std::make_unique<word::Document>(word::Document::open(path));
        } catch (const word::Error& e) {
            error = e.text();
        }
        ui::doEvents();
    }
    if (!error.isNull()) {
        ui::msgBox(QStringLiteral("Das Word-Dokument\n") + file + QStringLiteral("\nkonnte nicht geöffnet werden.\n\n")
                       + error,
                   ui::Exclamation, OpenErrorTitle);
        CloseWordDocument();
        return false;
    }
    WordDocOpen = true;
    return true;
}

void SetBookmarkText(const QString& name, const QString& value)
{
    const QString text = value.isEmpty() ? QStringLiteral(" ") : value;
    QString error;
    if (!WordDoc) {
        error = NoDocument;
    } else {
        try {
            if (WordDoc->hasBookmark(name))
                WordDoc->setBookmarkText(name, text);
        } catch (const word::Error& e) {
            error = e.text();
        }
    }
    if (!error.isNull())
        ui::msgBox(QStringLiteral("Fehler beim Einsetzen der Textmarke \"") + name + QStringLiteral("\"\n\n") + error,
                   ui::Critical, AutomationErrorTitle);
}

void SetBookmarkText(const QString& name, const rt::Date& value)
{
    SetBookmarkText(name, rt::formatDate(value, value.timePart() == 0 ? DateFormat : DateTimeFormat));
}

void UpdateDocumentFields()
{
    bool failed = !WordDoc;
    if (WordDoc) {
        try {
            WordDoc->setUpdateFieldsOnOpen();
        } catch (const word::Error&) {
            failed = true;
        }
    }
    if (failed)
        ui::msgBox(QStringLiteral("Fehler beim Updaten der Dokumentvariablen"), ui::Critical, AutomationErrorTitle);
}

bool ShowWordDocument()
{
    if (!WordDoc)
        return false;
    // The filled document exists only in memory until now; if it cannot be
    // written or no program opens it, the user would otherwise get nothing
    // and no word about it.
    QString file;
    try {
        file = WordDoc->saveNew(word::outputFolder(), QFileInfo(WordDoc->sourcePath()).completeBaseName());
    } catch (const word::FolderError& e) {
        ui::msgBox(QStringLiteral("Der Ordner für Dokumente \"%1\" kann nicht angelegt oder beschrieben werden. "
                                  "Das Dokument wurde nicht erstellt.\n\nBitte sorgen Sie dafür, dass es diesen "
                                  "Ordner gibt und Sie in ihn schreiben dürfen: Liegt an seiner Stelle eine Datei "
                                  "gleichen Namens, benennen Sie sie um oder verschieben Sie sie. Versuchen Sie es "
                                  "dann noch einmal.")
                       .arg(QDir::toNativeSeparators(e.folder())),
                   ui::Exclamation, SaveErrorTitle);
        return false;
    } catch (const word::Error& e) {
        ui::msgBox(QStringLiteral("Das Dokument aus der Vorlage\n") + WordDoc->sourcePath()
                       + QStringLiteral("\nkonnte nicht gespeichert werden.\n\n") + e.text(),
                   ui::Exclamation, SaveErrorTitle);
        return false;
    }
    ui::doEvents();
    if (!ui::DialogService::instance().openExternal(file)) {
        ui::msgBox(QStringLiteral("Das Word-Dokument\n") + file + QStringLiteral("\nkonnte nicht geöffnet werden.\n\n")
                       + QStringLiteral("Es konnte kein Programm zum Öffnen dieser Datei gestartet werden."),
                   ui::Exclamation, OpenErrorTitle);
        return false;
    }
    return true;
}

void ReleaseWordDocument()
{
    WordDoc.reset();
    WordDocOpen = false;
}

void CloseWordDocument()
{
    WordDoc.reset();
    WordDocOpen = false;
    ui::doEvents();
}
