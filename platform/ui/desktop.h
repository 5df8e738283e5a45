#pragma once

#include <QModelIndex>
#include <QString>

#include <functional>
#include <initializer_list>

class QAbstractItemView;
class QTableView;
class QWidget;

namespace ui {

// The program's keyboard and window-manager conventions, for every widget of
// the application; installed once, right after the QApplication exists:
// - tables, lists and trees leave Tab and Shift+Tab to the focus chain (the
//   arrow keys move inside them), and multi-line text fields pass Tab on;
// - a field that Tab reaches inside a scrolled area is scrolled into view;
// - a top-level window without a position of its own opens centred over the
//   window that opened it, shrunk to fit that screen, and every later time
//   where the user left it (for the program's run, also as a new instance).
void installDesktopConventions();

// Enter, Return and Space on the view's current cell run fn with that cell,
// as a click on it does.
void onCellKeys(QAbstractItemView* view, std::function<void(const QModelIndex&)> fn);

// A list whose only line is a note (its id under idRole is 0, as "nothing
// found") shows the note across all its columns, not cut off in the first.
void spanNoteLine(QTableView* view, int idRole);

// Shows the window in front, asks the window manager to activate it, and makes
// it the window the next dialogs stand over, until the user activates or
// clicks into another.
void bringToFront(QWidget* window);

// The window a dialog asked now stands over: the one brought to the front
// last, else the active window; null when there is none.
QWidget* dialogOwner();

// Tab and Shift+Tab go through the widgets in the order given (null ones
// left out), from where the first of them stands in the chain.
void setTabChain(std::initializer_list<QWidget*> widgets);

// The caption with an Alt letter none of taken: the wanted letter (at the
// start of a word where it stands there), else the caption's first free
// letter, else none. An "&" of the caption itself stays a plain "&". The
// letter chosen joins taken. For captions a user may rename.
QString withAltLetter(const QString& caption, QChar wanted, QString& taken);

// A tooltip that shows a name as typed: Qt draws one that looks like markup
// ("<b>Bi</b>rke") as formatting, so such a text is handed over escaped.
QString plainToolTip(const QString& text);

}  // namespace ui
