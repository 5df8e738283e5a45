#pragma once

#include "platform/word/error.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace word {

// A word-processing document (.dotx or .docx) held in memory and filled by
// bookmark. The file it was read from is never written: the result goes to a
// new file, which the desktop's word processor then opens.
//
//   auto doc = word::Document::open(appPath + "Rechnung.dotx");
//   doc.setBookmarkText("tm_datum", "07.12.2026");
//   doc.setUpdateFieldsOnOpen();
//   QString file = doc.saveNew(word::outputFolder(), "Rechnung");
//
// Every failure throws word::Error with a German text for the user.
class Document {
public:
    static Document open(const QString& path);

    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;
    ~Document();

    const QString& sourcePath() const;

    // Names as they stand in the document: main text first, then headers,
    // footers and notes.
    QStringList bookmarks() const;
    // Bookmark names are compared without regard to case, as word processors do.
    bool hasBookmark(const QString& name) const;
    // The bookmark's current text; line breaks and paragraph ends read as "\n".
    QString bookmarkText(const QString& name) const;
    // Replaces what the bookmark holds by the text and leaves the bookmark
    // around it, so filling it again replaces the text again. "\r\n", "\r" and
    // "\n" start a new paragraph with the properties of the bookmark's one (a
    // line break where the bookmark lies inside other markup), tabs stay tabs.
    // The new text takes the character format of the text it replaces.
    void setBookmarkText(const QString& name, const QString& text);

    // Asks the word processor to update all fields when it opens the result;
    // nothing when the document holds no field but page numbers.
    void setUpdateFieldsOnOpen();

    // The filled document as .docx data (a template becomes a document).
    QByteArray toDocx() const;
    // Writes toDocx() to "<baseName>.docx" in the folder, or to
    // "<baseName> (2).docx" and so on: an existing file is never replaced.
    // Returns the full path of the new file. A folder that is missing or
    // takes no new file throws FolderError.
    QString saveNew(const QString& folder, const QString& baseName) const;

private:
    struct Impl;
    explicit Document(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

// The folder for filled documents: "Velmorant" in the user's documents
// folder, created when missing (FolderError when it cannot be). Returned
// without a trailing "/".
QString outputFolder();

// A name a file can carry: characters no file name may hold become "_".
QString safeFileName(const QString& baseName);

}  // namespace word
