#include "plan/frmStockwerke.h"

#include "core/dialogs/imageviewer.h"
#include "core/files.h"
#include "core/handler.h"
#include "core/lookups.h"
#include "core/messages.h"
#include "core/preferences.h"
#include "core/terms.h"
#include "core/windows.h"
#include "plan/frmKategorien.h"
#include "plan/resourcetree.h"
#include "platform/db/error.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <utility>

// The tree of buildings, floors and places and its editors live on tab 2.

namespace {

constexpr int KeyRole = Qt::UserRole;
constexpr int TagRole = Qt::UserRole + 1;
constexpr int ImageRole = Qt::UserRole + 2;

QString keyOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, KeyRole).toString() : QString();
}

qint32 tagOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, TagRole).toString().toInt() : 0;
}

void setImage(QTreeWidgetItem* item, const QString& image)
{
    item->setData(0, ImageRole, image);
    item->setIcon(0, TreeIcon(image));
}

QPushButton* button(const QString& caption, QWidget* parent, const QString& tip = QString())
{
    auto* b = new QPushButton(caption, parent);
    if (!tip.isEmpty())
        b->setToolTip(tip);
    return b;
}

// A picture name with its two buttons in one row.
QWidget* pictureRow(QLineEdit* box, QPushButton* browse, QPushButton* show, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box, 1);
    layout->addWidget(browse);
    layout->addWidget(show);
    return row;
}

// Blocks repainting of a widget for as long as it lives.
class UpdatesOff {
public:
    explicit UpdatesOff(QWidget* w) : m_widget(w) { m_widget->setUpdatesEnabled(false); }
    ~UpdatesOff() { m_widget->setUpdatesEnabled(true); }
    UpdatesOff(const UpdatesOff&) = delete;
    UpdatesOff& operator=(const UpdatesOff&) = delete;

private:
    QWidget* m_widget;
};

}  // namespace

QWidget* frmStockwerke::buildResourceFrames()
{
    QWidget* host = treeDetails;
    auto* layout = qobject_cast<QVBoxLayout*>(host->layout());

    auto* commands = new QHBoxLayout;
    cmdNewResource = {button(QStringLiteral("Ressource des gleichen Typs hinzufügen"), host),
                      button(QStringLiteral("untergeordnete Ressource hinzufügen"), host)};
    cmdSaveResource = button(QStringLiteral("Ressourcen-Details speichern"), host);
    cmdDeleteResource = button(QStringLiteral("Ressource löschen"), host, QStringLiteral("[Entf]"));
    auto* commandsTop = new QHBoxLayout;
    commandsTop->addWidget(cmdNewResource[0]);
    commandsTop->addWidget(cmdNewResource[1]);
    commandsTop->addStretch(1);
    commands->addWidget(cmdSaveResource);
    commands->addWidget(cmdDeleteResource);
    commands->addStretch(1);
    layout->addLayout(commandsTop);
    layout->addLayout(commands);

    frameBuilding = new QGroupBox(QStringLiteral("Gebäude"), host);
    {
        auto* form = new QFormLayout(frameBuilding);
        lbBuilding_id = new QLabel(frameBuilding);
        tbBuildingName = new QLineEdit(frameBuilding);
        tbbld_short = new QLineEdit(frameBuilding);
        tbbld_short->setMaxLength(8);
        tbbld_short->setToolTip(QStringLiteral("Kurzname für Belegungsplan und Listen (höchstens 8 Zeichen)"));
        tbBuildingImageFile = new QLineEdit(frameBuilding);
        cmdBrowseBuildingImageFile = button(QStringLiteral("Bild-Datei suchen"), frameBuilding);
        cmdShowBuildingImage = button(QStringLiteral("Bild anzeigen"), frameBuilding);
        cmdSaveBuildingDetails = button(QStringLiteral("Speichern"), frameBuilding);
        form->addRow(QStringLiteral("Nr."), lbBuilding_id);
        form->addRow(QStringLiteral("Name"), tbBuildingName);
        form->addRow(QStringLiteral("Kurzname"), tbbld_short);
        form->addRow(QStringLiteral("Bild"),
                     pictureRow(tbBuildingImageFile, cmdBrowseBuildingImageFile, cmdShowBuildingImage, frameBuilding));
        form->addRow(QString(), cmdSaveBuildingDetails);
    }

    frameFloor = new QGroupBox(QStringLiteral("Etage"), host);
    {
        auto* form = new QFormLayout(frameFloor);
        lbFloor_id = new QLabel(frameFloor);
        lbflr_order = new QLabel(frameFloor);
        lbflr_order->setMinimumWidth(30);
        imgMaxNum = {new QToolButton(frameFloor), new QToolButton(frameFloor)};
        imgMaxNum[0]->setArrowType(Qt::UpArrow);
        imgMaxNum[0]->setToolTip(QStringLiteral("eine Etage höher"));
        imgMaxNum[1]->setArrowType(Qt::DownArrow);
        imgMaxNum[1]->setToolTip(QStringLiteral("eine Etage tiefer"));
        auto* order = new QWidget(frameFloor);
        auto* orderLayout = new QHBoxLayout(order);
        orderLayout->setContentsMargins(0, 0, 0, 0);
        orderLayout->addWidget(lbflr_order);
        orderLayout->addWidget(imgMaxNum[0]);
        orderLayout->addWidget(imgMaxNum[1]);
        orderLayout->addStretch(1);
        tbFloorName = new QLineEdit(frameFloor);
        tbflr_short = new QLineEdit(frameFloor);
        tbflr_short->setMaxLength(10);
        tbFloorImageFile = new QLineEdit(frameFloor);
        tbFloorInfo = new QLineEdit(frameFloor);
        cmdBrowseFloorImageFile = button(QStringLiteral("Bild-Datei suchen"), frameFloor);
        cmdShowFloorImage = button(QStringLiteral("Bild anzeigen"), frameFloor);
        cmdSaveFloorDetails = button(QStringLiteral("Speichern"), frameFloor);
        cmdEditFloorProperties = button(QStringLiteral("Etagenplan bearbeiten"), frameFloor);
        auto* buttons = new QWidget(frameFloor);
        auto* buttonsLayout = new QHBoxLayout(buttons);
        buttonsLayout->setContentsMargins(0, 0, 0, 0);
        buttonsLayout->addWidget(cmdSaveFloorDetails);
        buttonsLayout->addWidget(cmdEditFloorProperties);
        buttonsLayout->addStretch(1);
        form->addRow(QStringLiteral("Nr."), lbFloor_id);
        form->addRow(QStringLiteral("Ebene"), order);
        form->addRow(QStringLiteral("Name"), tbFloorName);
        form->addRow(QStringLiteral("Kurzname"), tbflr_short);
        form->addRow(QStringLiteral("Etagenplan"),
                     pictureRow(tbFloorImageFile, cmdBrowseFloorImageFile, cmdShowFloorImage, frameFloor));
        form->addRow(QStringLiteral("Info"), tbFloorInfo);
        form->addRow(QString(), buttons);
    }

    framePlace = new QGroupBox(TermPlaceSingular.isEmpty() ? QStringLiteral("Buchungsplatz") : TermPlaceSingular, host);
    {
        auto* form = new QFormLayout(framePlace);
        lbPlace_id = new QLabel(framePlace);
        tbPlatzName = new QLineEdit(framePlace);
        chkPlaceDisabled = new QCheckBox(QStringLiteral("gesperrt"), framePlace);
        listPlatzTyp = new QComboBox(framePlace);
        tbPlatzInfo = new QLineEdit(framePlace);
        tbPlaceCapacity = new QLineEdit(framePlace);
        tbPlaceCapacity->setMaxLength(5);
        tbPlaceImageFile = new QLineEdit(framePlace);
        cmdBrowsePlaceImageFile = button(QStringLiteral("Bild-Datei suchen"), framePlace);
        cmdShowPlaceImage = button(QStringLiteral("Bild anzeigen"), framePlace);
        cmdSavePlaceDetails = button(QStringLiteral("Speichern"), framePlace);
        cmdEditPlaceCoordinates = button(QStringLiteral("Koordinaten bearbeiten"), framePlace,
                                         QStringLiteral("Positionen der Räume im Etagenplan"));
        cmdPlaceBookings = button(QStringLiteral("Buchungen"), framePlace,
                                  QStringLiteral("alle Buchungen dieses Raums auflisten"));
        auto* buttons = new QWidget(framePlace);
        auto* buttonsLayout = new QHBoxLayout(buttons);
        buttonsLayout->setContentsMargins(0, 0, 0, 0);
        buttonsLayout->addWidget(cmdSavePlaceDetails);
        buttonsLayout->addWidget(cmdEditPlaceCoordinates);
        buttonsLayout->addWidget(cmdPlaceBookings);
        buttonsLayout->addStretch(1);
        form->addRow(QStringLiteral("Nr."), lbPlace_id);
        form->addRow(QStringLiteral("Name"), tbPlatzName);
        form->addRow(QString(), chkPlaceDisabled);
        form->addRow(QStringLiteral("Kategorie"), listPlatzTyp);
        form->addRow(QStringLiteral("Info"), tbPlatzInfo);
        form->addRow(QStringLiteral("Kapazität"), tbPlaceCapacity);
        form->addRow(QStringLiteral("Bild"), pictureRow(tbPlaceImageFile, cmdBrowsePlaceImageFile, cmdShowPlaceImage, framePlace));
        form->addRow(QString(), buttons);
    }
    layout->addWidget(frameBuilding);
    layout->addWidget(frameFloor);
    layout->addWidget(framePlace);
    showResourceFrame(QString());
    layout->addStretch(1);

    auto* tables = new QHBoxLayout;
    btnEditBuildings = button(QStringLiteral("Gebäude-Tabelle"), host);
    btnEditFloors = button(QStringLiteral("Etagen-Tabelle"), host);
    btnEditPlaces = button(QStringLiteral("Plätze-Tabelle"), host);
    cmdKategorieFilter = button(QStringLiteral("Kategorie-Filter"), host, QStringLiteral("Preise der Raum-Kategorien"));
    tables->addWidget(btnEditBuildings);
    tables->addWidget(btnEditFloors);
    tables->addWidget(btnEditPlaces);
    tables->addStretch(1);
    tables->addWidget(cmdKategorieFilter);
    layout->addLayout(tables);

    TV1->setIconSize(QSize(16, 16));
    // The tree makes a node current by itself when it gets the focus; only a
    // node the user chose, by a press or by a key, is shown.
    TV1->installEventFilter(this);
    TV1->viewport()->installEventFilter(this);
    connect(TV1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* node) {
        const TreeInput input = std::exchange(m_treeInput, TreeInput::None);
        if (FillingLists || !node || input == TreeInput::None)
            return;
        m_treePressChanged = input == TreeInput::Mouse;
        TV1_NodeClick(node, m_treePressChanged);
    });
    // A click on the node already chosen shows it again (after a refused
    // password, say); the click that chose it has been handled.
    connect(TV1, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) {
        const bool handled = std::exchange(m_treePressChanged, false);
        if (!FillingLists && node && !handled)
            TV1_NodeClick(node, true);
    });
    for (int i = 0; i < 2; ++i) {
        connect(cmdNewResource[i], &QPushButton::clicked, this, [this, i] { cmdNewResource_Click(i); });
        connect(imgMaxNum[i], &QToolButton::pressed, this, [this, i] { imgMaxNum_MouseDown(i); });
    }
    for (QPushButton* save : {cmdSaveResource, cmdSaveBuildingDetails, cmdSaveFloorDetails, cmdSavePlaceDetails})
        connect(save, &QPushButton::clicked, this, [this] { cmdSaveResource_Click(); });
    connect(cmdDeleteResource, &QPushButton::clicked, this, [this] { cmdDeleteResource_Click(); });
    connect(cmdBrowseBuildingImageFile, &QPushButton::clicked, this, [this] { cmdBrowseImageFile_Click(tbBuildingImageFile); });
    connect(cmdBrowseFloorImageFile, &QPushButton::clicked, this, [this] { cmdBrowseImageFile_Click(tbFloorImageFile); });
    connect(cmdBrowsePlaceImageFile, &QPushButton::clicked, this, [this] { cmdBrowseImageFile_Click(tbPlaceImageFile); });
    connect(cmdShowBuildingImage, &QPushButton::clicked, this, [this] { cmdShowImage_Click(tbBuildingImageFile, tbBuildingName); });
    connect(cmdShowFloorImage, &QPushButton::clicked, this, [this] { cmdShowImage_Click(tbFloorImageFile, tbFloorName); });
    connect(cmdShowPlaceImage, &QPushButton::clicked, this, [this] { cmdShowImage_Click(tbPlaceImageFile, tbPlatzName); });
    connect(btnEditBuildings, &QPushButton::clicked, this, [this] { btnEditTable_Click(0); });
    connect(btnEditFloors, &QPushButton::clicked, this, [this] { btnEditTable_Click(1); });
    connect(btnEditPlaces, &QPushButton::clicked, this, [this] { btnEditTable_Click(2); });
    connect(cmdKategorieFilter, &QPushButton::clicked, this, [this] { cmdKategorieFilter_Click(); });
    connect(cmdEditFloorProperties, &QPushButton::clicked, this, [this] { menuEditMode_Click(); });
    connect(cmdEditPlaceCoordinates, &QPushButton::clicked, this, [this] { menuEditMode_Click(); });
    connect(cmdPlaceBookings, &QPushButton::clicked, this, [this] { cmdPlaceBookings_Click(); });
    // What the user changes in a frame counts as changed from the stored value.
    const auto edits = [this](QLineEdit* box, ResourceKind kind, const char* column) {
        connect(box, &QLineEdit::textEdited, this,
                [this, kind, column] { m_resourceEditor.edited(kind, QString::fromLatin1(column)); });
    };
    edits(tbBuildingName, ResourceKind::Building, "bld_name");
    edits(tbbld_short, ResourceKind::Building, "bld_short");
    edits(tbBuildingImageFile, ResourceKind::Building, "bld_imagefile");
    edits(tbFloorName, ResourceKind::Floor, "flr_name");
    edits(tbflr_short, ResourceKind::Floor, "flr_short");
    edits(tbFloorImageFile, ResourceKind::Floor, "flr_imagefile");
    edits(tbFloorInfo, ResourceKind::Floor, "flr_info");
    edits(tbPlatzName, ResourceKind::Place, "pl_name");
    edits(tbPlatzInfo, ResourceKind::Place, "pl_info");
    edits(tbPlaceCapacity, ResourceKind::Place, "pl_capacity");
    edits(tbPlaceImageFile, ResourceKind::Place, "pl_imagefile");
    connect(chkPlaceDisabled, &QCheckBox::clicked, this,
            [this] { m_resourceEditor.edited(ResourceKind::Place, QStringLiteral("pl_disabled")); });
    connect(listPlatzTyp, &QComboBox::activated, this,
            [this] { m_resourceEditor.edited(ResourceKind::Place, QStringLiteral("pl_type_id")); });
    return host;
}

void frmStockwerke::FillResourceTree()
{
    const QString keep = keyOf(TV1->currentItem());
    UpdatesOff locked(TV1);
    FillingListsGuard filling;
    ui::WaitCursor wait;
    TV1->clear();
    std::vector<ResourceTreeRow> rows;
    try {
        rows = ResourceTreeRows(MandantId);
    } catch (const db::DbError& error) {
        ui::msgBox(QStringLiteral("Die Ressourcen konnten nicht gelesen werden.\n") + error.description(), ui::Exclamation,
                   QStringLiteral("Fehler beim Füllen der Ressourcen-Baumanzeige"));
    }
    QHash<QString, QTreeWidgetItem*> byKey;
    for (const ResourceNode& node : BuildResourceNodes(rows, FloorNames)) {
        QTreeWidgetItem* parent = node.parentKey.isEmpty() ? TV1->invisibleRootItem() : byKey.value(node.parentKey);
        if (!parent)
            continue;
        auto* item = new QTreeWidgetItem(parent, QStringList{node.text});
        item->setData(0, KeyRole, node.key);
        item->setData(0, TagRole, node.tag);
        setImage(item, node.image);
        item->setExpanded(node.expanded);
        byKey.insert(node.key, item);
    }
    if (!keep.isEmpty())
        selectTreeNode(keep);
}

void frmStockwerke::RefreshTreeOccupancy()
{
    QSet<qint32> occupied;
    try {
        occupied = OccupiedTreePlaces(MandantId, SelectedPeriod[0], SelectedPeriod[1]);
    } catch (const db::DbError& error) {
        ui::msgBox(QStringLiteral("Fehler beim Markieren der belegten Ressourcen\n") + error.description(), ui::Exclamation,
                   QStringLiteral("Fehler beim Markieren der belegten Ressourcen"));
    }
    for (QTreeWidgetItemIterator it(TV1); *it; ++it) {
        QTreeWidgetItem* item = *it;
        if (keyOf(item).startsWith(QLatin1Char('P')))
            setImage(item, PlaceNodeImage(item->data(0, ImageRole).toString(), occupied.contains(tagOf(item))));
    }
}

void frmStockwerke::selectTreeNode(const QString& key)
{
    FillingListsGuard filling;
    for (QTreeWidgetItemIterator it(TV1); *it; ++it) {
        if (keyOf(*it) == key) {
            TV1->setCurrentItem(*it);
            m_state.TreeNodeText = (*it)->text(0);
            return;
        }
    }
}

std::optional<TreeNodeRef> frmStockwerke::selectedTreeNode() const
{
    return selectedTreeNodeOf(TV1->currentItem());
}

void frmStockwerke::showResourceFrame(const QString& letter)
{
    frameBuilding->setVisible(letter == QLatin1String("B"));
    frameFloor->setVisible(letter == QLatin1String("F"));
    framePlace->setVisible(letter == QLatin1String("P"));
}

void frmStockwerke::readResourceFields()
{
    ResourceFields& f = m_resourceFields;
    f.building.idText = lbBuilding_id->text();
    f.building.name = tbBuildingName->text();
    f.building.shortName = tbbld_short->text();
    f.building.imageFile = tbBuildingImageFile->text();
    f.floor.idText = lbFloor_id->text();
    f.floor.order = lbflr_order->property("Tag").toInt();
    f.floor.orderLabel = lbflr_order->text();
    f.floor.name = tbFloorName->text();
    f.floor.shortName = tbflr_short->text();
    f.floor.imageFile = tbFloorImageFile->text();
    f.floor.info = tbFloorInfo->text();
    f.place.idText = lbPlace_id->text();
    f.place.name = tbPlatzName->text();
    f.place.disabled = chkPlaceDisabled->isChecked();
    f.place.info = tbPlatzInfo->text();
    f.place.capacity = tbPlaceCapacity->text();
    f.place.imageFile = tbPlaceImageFile->text();
    f.place.typeId = listPlatzTyp->currentIndex() >= 0 ? std::optional<qint32>(listPlatzTyp->currentData().toInt())
                                                       : std::nullopt;
}

void frmStockwerke::applyResourceFields()
{
    const ResourceFields& f = m_resourceFields;
    lbBuilding_id->setText(f.building.idText);
    tbBuildingName->setText(f.building.name);
    tbbld_short->setText(f.building.shortName);
    tbBuildingImageFile->setText(f.building.imageFile);
    lbFloor_id->setText(f.floor.idText);
    lbflr_order->setProperty("Tag", f.floor.order);
    lbflr_order->setText(f.floor.orderLabel);
    tbFloorName->setText(f.floor.name);
    tbflr_short->setText(f.floor.shortName);
    tbFloorImageFile->setText(f.floor.imageFile);
    tbFloorInfo->setText(f.floor.info);
    lbPlace_id->setText(f.place.idText);
    tbPlatzName->setText(f.place.name);
    chkPlaceDisabled->setChecked(f.place.disabled);
    tbPlatzInfo->setText(f.place.info);
    tbPlaceCapacity->setText(f.place.capacity);
    tbPlaceImageFile->setText(f.place.imageFile);
    FillingListsGuard filling;
    listPlatzTyp->clear();
    for (const RoomType& type : RoomTypes) {
        if (!type.name.isEmpty())
            listPlatzTyp->addItem(type.name, type.id);
    }
    SelectListItemByItemData(listPlatzTyp, f.place.typeId.value_or(0), -1);
    // A later save compares with what the frames show now.
    readResourceFields();
    m_resourceEditor.fieldsShown();
}

void frmStockwerke::ShowResourceDetails(qint32 id, const QString& letter)
{
    if (id <= 0)
        return;
    readResourceFields();
    if (!m_resourceEditor.load(id, letter))
        return;
    applyResourceFields();
    if (letter == QLatin1String("P")) {
        ShowPlatzDetails(id, 0, -1);
        LoadBookingPanel(-1, m_state.CurrentPlaceId);
        BuildCalendarGrid(rt::Date());
    }
}

void frmStockwerke::TV1_NodeClick(QTreeWidgetItem* node, bool clicked)
{
    // Arrow keys leave the nodes as the user folded them.
    if (clicked && node->childCount() > 0 && !node->isExpanded())
        node->setExpanded(true);
    RunHandler(QStringLiteral("TV1_NodeClick"), [this, node] { SelectResourceNode(node); });
}

void frmStockwerke::TV1_Input(QObject* watched, QEvent::Type type)
{
    if (watched == TV1->viewport()) {
        if (type == QEvent::MouseButtonPress)
            m_treeInput = TreeInput::Mouse;
        else if (type == QEvent::MouseButtonRelease)
            m_treeInput = TreeInput::None;
    } else if (type == QEvent::KeyPress) {
        m_treeInput = TreeInput::Key;
    } else if (type == QEvent::KeyRelease || type == QEvent::FocusOut) {
        m_treeInput = TreeInput::None;
    }
}

void frmStockwerke::SelectResourceNode(QTreeWidgetItem* node)
{
    const std::optional<TreeNodeRef> ref = selectedTreeNodeOf(node);
    readResourceFields();
    if (!m_resourceEditor.select(ref))
        return;
    showResourceFrame(m_state.TreeNodeLetter);
    applyResourceFields();
    if (m_state.TreeNodeLetter == QLatin1String("P") && ref->tag > 0 && m_state.CurrentPlaceId == ref->tag) {
        ShowPlatzDetails(ref->tag, 0, -1);
        LoadBookingPanel(-1, m_state.CurrentPlaceId);
        BuildCalendarGrid(rt::Date());
    }
}

std::optional<TreeNodeRef> frmStockwerke::selectedTreeNodeOf(const QTreeWidgetItem* item) const
{
    if (!item)
        return std::nullopt;
    TreeNodeRef node;
    node.key = keyOf(item);
    node.text = item->text(0);
    node.tag = tagOf(item);
    if (const QTreeWidgetItem* parent = item->parent()) {
        node.parentTag = tagOf(parent);
        node.grandparentTag = tagOf(parent->parent());
    }
    return node;
}

void frmStockwerke::cmdNewResource_Click(int index)
{
    RunHandler(QStringLiteral("cmdNewResource_Click"), [this, index] {
        readResourceFields();
        const bool stored = m_resourceEditor.newResource(index, selectedTreeNode());
        if (m_resourceEditor.takeCapacityRefused()) {
            focusCapacity();
            return;
        }
        showResourceFrame(m_state.TreeNodeLetter);
        applyResourceFields();
        if (m_resourceEditor.takeTreeStale())
            FillResourceTree();
        if (stored) {
            FillResourceTree();
            selectTreeNode(m_resourceEditor.lastKey());
        }
    });
}

void frmStockwerke::cmdSaveResource_Click()
{
    const QPointer<QWidget> before = focusWidget();
    bool capacityRefused = false;
    RunHandler(QStringLiteral("cmdSaveResource_Click"), [this, &capacityRefused] {
        FocusDummy->setFocus();
        readResourceFields();
        if (!m_resourceEditor.save(selectedTreeNode())) {
            if (m_resourceEditor.takeTreeStale())
                FillResourceTree();
            capacityRefused = m_resourceEditor.takeCapacityRefused();
            return;
        }
        applyResourceFields();
        FillResourceTree();
        selectTreeNode(m_resourceEditor.lastKey());
    });
    if (capacityRefused)
        focusCapacity();
    else
        focusAfterStep(before, TV1);
}

void frmStockwerke::focusCapacity()
{
    // The capacity as typed, ready to be typed over.
    if (!framePlace->isVisible())
        return;
    tbPlaceCapacity->setFocus(Qt::OtherFocusReason);
    tbPlaceCapacity->selectAll();
}

void frmStockwerke::cmdDeleteResource_Click()
{
    RunHandler(QStringLiteral("cmdDeleteResource_Click"), [this] {
        readResourceFields();
        if (m_resourceEditor.remove(selectedTreeNode()))
            FillResourceTree();
    });
}

void frmStockwerke::cmdBrowseImageFile_Click(QLineEdit* textBox)
{
    RunHandler(QStringLiteral("cmdBrowseImageFile_Click"), [this, textBox] {
        const QString before = textBox->text();
        BrowseImageFile(textBox, ImageDir);
        if (textBox->text() == before)
            return;
        if (textBox == tbBuildingImageFile)
            m_resourceEditor.edited(ResourceKind::Building, QStringLiteral("bld_imagefile"));
        else if (textBox == tbFloorImageFile)
            m_resourceEditor.edited(ResourceKind::Floor, QStringLiteral("flr_imagefile"));
        else
            m_resourceEditor.edited(ResourceKind::Place, QStringLiteral("pl_imagefile"));
    });
}

void frmStockwerke::cmdShowImage_Click(QLineEdit* textBox, QLineEdit* nameBox)
{
    if (!textBox->text().isEmpty())
        frmImage::ShowImage(textBox->text(), nameBox->text());
}

void frmStockwerke::cmdShowRoomImage_Click()
{
    RunHandler(QStringLiteral("cmdShowRoomImage_Click"), [this] {
        if (!lblRoomName->text().isEmpty())
            frmImage::ShowImage(GetPlaceImageFile(m_state.CurrentPlaceId), lblRoomName->text());
    });
}

void frmStockwerke::cmdPlaceBookings_Click()
{
    RunHandler(QStringLiteral("cmdPlaceBookings_Click"), [this] {
        const qint32 placeId = lbPlace_id->text().trimmed().toInt();
        if (placeId <= 0)
            return;
        SetBookingsCaption(QStringLiteral("Reservierungs-Details für ") + tbPlatzName->text());
        ShowBookings(QString(), m_state.CurrentBookingId, placeId, true, 1);
    });
}

void frmStockwerke::btnEditTable_Click(int table)
{
    RunHandler(QStringLiteral("btnEditTable_Click"), [table] { OpenStructureTable(table); });
}

void frmStockwerke::cmdKategorieFilter_Click()
{
    RunHandler(QStringLiteral("cmdKategorieFilter_Click"), [this] {
        if (PassPasswordGate(m_state))
            frmKategorien::showWindow();
    });
}

void frmStockwerke::imgMaxNum_MouseDown(int index)
{
    const int order = StepFloorOrder(lbflr_order->property("Tag").toInt(), index);
    lbflr_order->setProperty("Tag", order);
    lbflr_order->setText(FloorOrderLabel(order));
    m_resourceEditor.edited(ResourceKind::Floor, QStringLiteral("flr_order"));
}
