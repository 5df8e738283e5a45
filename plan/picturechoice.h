#pragma once

#include <QString>

#include <optional>

// Choosing the picture of a facility or a place.

// Asks for a picture file, proposing current (a stored name) when it exists,
// in imageDir. The name to store: relative to imageDir when the file lies in
// it, else the full path. nullopt when cancelled.
std::optional<QString> AskPictureFile(const QString& current, const QString& imageDir);

// The facility's picture, behind the read-only refusal and the administrator
// password. Stored for a facility of id 1 or more; the name to show, or
// nullopt when nothing was chosen. Throws db::DbError.
std::optional<QString> ChooseMandantPicture(qint32 mandantId, const QString& current, const QString& imageDir);

// The place's picture, behind the same gate as the structure editors, since
// it changes the place's picture everywhere. The name stored, or nullopt when
// nothing was (a refusal, a cancel, a place deleted meanwhile, told as such).
// Throws db::DbError.
std::optional<QString> ChoosePlacePicture(qint32 placeId, const QString& current, const QString& imageDir);
