#pragma once

#include "platform/runtime/date.h"

#include <QString>

// Letters and invoices are filled from a template beside the program: open it,
// set its bookmarks, ask for a field update, hand the result to the desktop's
// word processor and let go of it. One document at a time.
//
//   ui::WaitCursor wait;
//   if (!OpenWordDocument(AppPath + "Rechnung.dotx")) return;
//   SetBookmarkText("tm_datum", tbDatum_Rechnung->text());
//   ...
//   UpdateDocumentFields();
//   const bool shown = ShowWordDocument();
//   if (WordDocOpen) ReleaseWordDocument();

// True between a successful OpenWordDocument and the release or close.
extern bool WordDocOpen;

// Opens the template (a full path) as the current document. A missing or
// unreadable file is reported here and gives false; an empty name gives false
// quietly. The template itself is never written.
bool OpenWordDocument(const QString& file);

// Puts value into the bookmark name (case ignored) and keeps the bookmark
// around it. An empty or null value becomes one blank, so the bookmark keeps
// its place. A bookmark the template lacks is skipped without a word.
void SetBookmarkText(const QString& name, const QString& value);
// A date as the workstation writes dates (with the time when it has one).
void SetBookmarkText(const QString& name, const rt::Date& value);

// Every field of the document is brought up to date when it is opened.
void UpdateDocumentFields();

// Writes the filled document as a new .docx into the user's documents and
// opens it with the desktop's word processor. A failure there is reported
// (a documents folder that cannot be made or written to by its name) and
// gives false.
bool ShowWordDocument();

// Lets go of the document; what was shown stays with the word processor.
void ReleaseWordDocument();

// Drops the document without writing anything.
void CloseWordDocument();
