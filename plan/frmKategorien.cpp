#include "plan/frmKategorien.h"

#include "core/globals.h"
#include "core/handler.h"
#include "core/messages.h"
#include "core/terms.h"
#include "platform/db/value.h"
#include "platform/runtime/format.h"
#include "platform/ui/dialogs.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <optional>

frmKategorien::frmKategorien()
{
    setObjectName(QStringLiteral("frmKategorien"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Kategorie-Preise"));
    listRoomCategory = new QListWidget(this);
    tbPreis = new QLineEdit(this);
    tbPreis->setAlignment(Qt::AlignRight);
    tbPreis->installEventFilter(this);
    btnSave = new QPushButton(QStringLiteral("Speichern"), this);
    btnClose = new QPushButton(QStringLiteral("Abbrechen"), this);
    auto* priceLabel = new QLabel(QStringLiteral("Preis"), this);
    priceLabel->setBuddy(tbPreis);

    auto* layout = new QGridLayout(this);
    layout->addWidget(listRoomCategory, 0, 0, 1, 3);
    layout->addWidget(priceLabel, 1, 0);
    layout->addWidget(tbPreis, 1, 1);
    layout->addWidget(new QLabel(QStringLiteral("€"), this), 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnSave);
    buttons->addWidget(btnClose);
    layout->addLayout(buttons, 2, 0, 1, 3);
    resize(320, 300);

    // The price is taken over as the box is left; saving has nothing left to do.
    connect(tbPreis, &QLineEdit::returnPressed, this, [this] { tbPreis_LostFocus(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });
    connect(listRoomCategory, &QListWidget::currentRowChanged, this, [this] { listRoomCategory_Click(); });
    Form_Load();
}

void frmKategorien::showWindow()
{
    frmKategorien& w = instance();
    w.show();
    w.raise();
    w.activateWindow();
}

void frmKategorien::Form_Load()
{
    // Filling selects the first category and so shows its price.
    FillListRoomTypes(listRoomCategory, MandantId, -1);
}

void frmKategorien::ShowPrice(qint32 roomTypeId)
{
    for (const RoomType& type : RoomTypes) {
        if (type.id == roomTypeId && !type.name.isEmpty()) {
            tbPreis->setText(rt::formatNumber(type.price, QStringLiteral("##,##0.00")));
            return;
        }
    }
}

void frmKategorien::listRoomCategory_Click()
{
    const int index = listRoomCategory->currentRow();
    if (index < 0)
        return;
    SelectedRoomTypeIndex = index;
    SelectedRoomTypeId = listRoomCategory->item(index)->data(Qt::UserRole).toInt();
    ShowPrice(SelectedRoomTypeId);
}

void frmKategorien::tbPreis_LostFocus()
{
    const QString text = tbPreis->text().trimmed();
    if (text.isEmpty())
        return;
    auto type = std::find_if(RoomTypes.begin(), RoomTypes.end(), [this](const RoomType& t) {
        return t.id == SelectedRoomTypeId && !t.name.isEmpty();
    });
    if (type == RoomTypes.end())
        return;
    const std::optional<double> price = db::textToNumber(text);
    if (!price || *price < 0) {
        ui::msgBox(QStringLiteral("Der Preis \"") + text +
                       QStringLiteral("\" ist keine gültige Zahl.\nBitte geben Sie ihn z. B. als 65,00 ein."),
                   ui::Exclamation, AppTitle);
        ShowPrice(SelectedRoomTypeId);
        return;
    }
    type->price = rt::roundCommercial(*price);
    FillListRoomTypes(listRoomCategory, MandantId, SelectedRoomTypeId);
}

bool frmKategorien::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tbPreis && event->type() == QEvent::FocusOut) {
        // Leaving the box, not the window: a message box over it is no leave.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            tbPreis_LostFocus();
    }
    return QWidget::eventFilter(watched, event);
}
