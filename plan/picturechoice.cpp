#include "plan/picturechoice.h"

#include "core/files.h"
#include "core/globals.h"
#include "core/mandanten.h"
#include "core/password.h"
#include "core/places.h"
#include "core/workstation.h"
#include "plan/roomdetails.h"
#include "platform/ui/dialogs.h"

namespace {

bool mayChangePictures()
{
    return !RefuseReadOnly() && CheckAdminPassword(true);
}

}  // namespace

std::optional<QString> AskPictureFile(const QString& current, const QString& imageDir)
{
    ui::FileRequest request;
    request.title = QStringLiteral("Bild-Datei suchen");
    request.directory = imageDir;
    request.filter = ImageFileFilter;
    if (!current.isEmpty()) {
        const QString full = ImagePathFor(current, imageDir);
        if (FileExists(full))
            request.fileName = full;
    }
    const QString chosen = ui::DialogService::instance().openFile(request);
    if (chosen.isEmpty())
        return std::nullopt;
    return ImageNameFor(chosen, imageDir);
}

std::optional<QString> ChooseMandantPicture(qint32 mandantId, const QString& current, const QString& imageDir)
{
    if (!mayChangePictures())
        return std::nullopt;
    const std::optional<QString> name = AskPictureFile(current, imageDir);
    // Facility 0 is no stored row: its picture is shown, not stored.
    if (!name || mandantId < 1)
        return name;
    const MergedSave save = StoreMandantImageFile(mandantId, current, *name);
    if (save.result == MergedSave::Result::Missing)
        ui::msgBox(MandantRowName(MandantName, mandantId) + QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht."),
                   ui::Exclamation, QStringLiteral("Bild laden"));
    if (save.result != MergedSave::Result::Written)
        return std::nullopt;
    // Nein to the question keeps the picture stored meanwhile: that one is shown.
    return save.row.value(QStringLiteral("mand_imagefile")).toText();
}

std::optional<QString> ChoosePlacePicture(qint32 placeId, const QString& current, const QString& imageDir)
{
    if (placeId < 1 || !mayChangePictures())
        return std::nullopt;
    // The picture compared with is the one the window shows: one chosen at
    // another workstation since is not replaced unasked.
    std::optional<RowValues> loaded = ReadResourceRow(ResourceKind::Place, placeId);
    const QString picture = QStringLiteral("pl_imagefile");
    if (loaded && loaded->value(picture).toText() != current)
        loaded->insert(picture, db::textOrNull(current));
    const std::optional<QString> name = AskPictureFile(current, imageDir);
    if (!name)
        return std::nullopt;
    const MergedSave save = loaded ? StoreResourceChanges(ResourceKind::Place, placeId, *loaded,
                                                          {{picture, db::textOrNull(*name)}})
                                   : MergedSave{MergedSave::Result::Missing, {}, {}, {}, false};
    if (save.result == MergedSave::Result::Missing)
        ui::msgBox(RoomNotFoundText(placeId), ui::Exclamation, QStringLiteral("Raum nicht gefunden"));
    if (save.result != MergedSave::Result::Written)
        return std::nullopt;
    return PlaceFromRow(save.row).pl_imagefile;
}
