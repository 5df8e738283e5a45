#pragma once

#include <QSize>
#include <QString>

class QLabel;
class QLineEdit;

// Paths: "\" and "/" both separate folders; stored names written with "\" are
// used with "/" in their place.

// A name with a "." must be a normal (not hidden) file; one without a "." may
// also be a folder. Empty or unreadable paths give false.
bool FileExists(const QString& path);
// Up to and including the last separator; the whole text when there is none.
QString GetPathPart(const QString& path);
// After the last separator; the whole text when there is none.
QString GetFileNamePart(const QString& path);
// Splits the file name at its last "."; without one, ext is "".
void SplitFileExt(const QString& name, QString& base, QString& ext);

// Copies a file, or a folder with everything in it, to destination (a new
// name, or an existing folder to copy into). An existing file there is
// replaced only when quiet or when the user agrees. True only when everything
// was copied.
bool CopyFiles(const QString& source, const QString& destination, bool quiet);

// A "//" or "\\" share name, or a path on a network file system.
bool IsNetworkPath(const QString& path);

// Opens a document with the desktop's program; a missing file is reported.
void OpenFileWithShell(const QString& file);

// Shows a topic ("frmVorgaben.htm#datenpflege") of the help folder below the
// program folder in the desktop's browser.
void ShowHelpTopic(const QString& topic);

// The filter of every picture dialog.
inline const QString ImageFileFilter = QStringLiteral("Bilddateien (*.jpg;*.gif;*.png)");

// Lets the user pick a picture, starting from the name in textBox, and writes
// the choice back: relative to imageDir when it lies inside it.
void BrowseImageFile(QLineEdit* textBox, const QString& imageDir);
// The name stored for a chosen picture: relative when path starts with imageDir
// (in another case only where that names the same file), else path itself.
QString ImageNameFor(const QString& path, const QString& imageDir);
// The full path of a stored picture name: a name without separator lies in imageDir.
QString ImagePathFor(const QString& name, const QString& imageDir);

// Shows a picture in image, scaled with its proportions into maxWidth x
// maxHeight pixels when scale is set, and its name (or why it is missing) in
// label. The full path is kept in the image's "Tag" property. A picture that
// cannot be shown leaves the image empty, says why in label and, the first
// time for that file, in a message.
void ShowImageFile(const QString& file, QLabel* image, QLabel* label, int maxWidth, int maxHeight, bool scale,
                   const QString& imageDir);
// Why a picture could not be read, from the reader's error and the size its
// header gave (invalid when none).
QString UnreadablePictureReason(int readerError, const QSize& stored);
// The size a picture of the given size takes in the box, proportions kept.
QSize ScaledImageSize(const QSize& picture, int maxWidth, int maxHeight);
