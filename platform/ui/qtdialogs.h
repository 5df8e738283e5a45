#pragma once

#include "platform/ui/dialogs.h"

namespace ui {

// The dialogs a person sees: Qt's message box, input dialog, file and colour
// dialogs, and the desktop's opener.
class QtDialogService : public DialogService {
public:
    Answer message(const MessageRequest& request) override;
    std::optional<QString> input(const QString& prompt, const QString& title, const QString& defaultText) override;
    std::optional<QString> password(const QString& prompt, const QString& title) override;
    QString openFile(const FileRequest& request) override;
    QString saveFile(const FileRequest& request) override;
    QString folder(const QString& title, const QString& startFolder) override;
    std::optional<QColor> color(const QColor& initial, const QString& title) override;
    bool openExternal(const QString& fileOrUrl) override;
};

// A filter as Qt's file dialog reads it: patterns apart by blanks, each also
// in capitals, since file names here are case-sensitive and pictures from
// cameras are often named *.JPG. "Bilder (*.jpg;*.png)" gives
// "Bilder (*.jpg *.png *.JPG *.PNG)"; filters apart by ";;" each.
QString qtFileFilter(const QString& filter);

}  // namespace ui
