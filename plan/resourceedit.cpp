#include "plan/resourceedit.h"

#include "core/files.h"
#include "core/globals.h"
#include "core/lookups.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/windows.h"
#include "core/workstation.h"
#include "plan/resourcetree.h"
#include "platform/runtime/format.h"
#include "platform/runtime/text.h"
#include "platform/ui/busy.h"
#include "platform/ui/dialogs.h"

#include <array>

namespace {

const QString DeleteTitle = QStringLiteral("Ressource löschen");

void chooseFirst()
{
    ui::msgBox(QStringLiteral("Wählen Sie erst eine Ressource."), ui::Exclamation, AppTitle);
}

// The number an id label shows; 0 for "* neu" and anything else.
qint32 idOf(const QString& idText)
{
    bool ok = false;
    const qint32 id = rt::trim(idText).toInt(&ok);
    return ok ? id : 0;
}

qint32 buildingOfNode(const TreeNodeRef& node)
{
    const QString letter = node.letter();
    if (node.key.size() < 2)
        return 0;
    if (letter == QLatin1String("B"))
        return node.tag;
    if (letter == QLatin1String("F"))
        return node.parentTag;
    if (letter == QLatin1String("P"))
        return node.grandparentTag;
    return 0;
}

qint32 floorOfNode(const TreeNodeRef& node)
{
    if (node.key.size() < 2)
        return 0;
    if (node.letter() == QLatin1String("F"))
        return node.tag;
    if (node.letter() == QLatin1String("P"))
        return node.parentTag;
    return 0;
}

}  // namespace

bool PassPasswordGate(const PlanState& state)
{
    if (state.EditMode || !AdminPasswordActive)
        return true;
    return CheckAdminPassword(true);
}

bool PassStructureGate(const PlanState& state)
{
    if (RefuseReadOnly(ui::Critical))
        return false;
    return PassPasswordGate(state);
}

bool ResourceEditor::select(const std::optional<TreeNodeRef>& node)
{
    if (!PassStructureGate(m_state) || !node)
        return false;
    const QString letter = node->letter();
    m_state.TreeNodeLetter = letter;
    m_state.TreeNodeText = node->text;
    if (letter == QLatin1String("B")) {
        m_state.CurrentBuildingId = node->tag > 0 ? node->tag : -1;
        m_state.CurrentFloorId = -1;
    } else if (letter == QLatin1String("F")) {
        m_state.CurrentBuildingId = node->parentTag;
        m_state.CurrentFloorId = node->tag;
    } else if (letter == QLatin1String("P")) {
        m_state.CurrentBuildingId = node->grandparentTag;
        m_state.CurrentFloorId = node->parentTag;
    }
    load(node->tag, letter);
    return true;
}

bool ResourceEditor::load(qint32 id, const QString& letter)
{
    if (id <= 0)
        return false;
    ui::WaitCursor wait;
    if (letter == QLatin1String("B")) {
        const auto b = LoadBuilding(id);
        if (!b)
            return false;
        m_fields.building = {QString::number(b->bld_id), b->bld_name, b->bld_short, b->bld_imagefile, b->bld_mandant_id};
        return true;
    }
    if (letter == QLatin1String("F")) {
        const auto f = LoadFloor(id);
        if (!f)
            return false;
        m_fields.floor = {QString::number(f->flr_id), f->flr_order, FloorOrderLabel(f->flr_order), f->flr_name,
                          f->flr_short, f->flr_imagefile, f->flr_info, f->flr_building_id};
        return true;
    }
    if (letter == QLatin1String("P")) {
        const auto p = LoadPlace(id);
        if (!p)
            return false;
        m_fields.place = {QString::number(p->pl_id), p->pl_name, p->pl_disabled, p->pl_info,
                          QString::number(p->pl_capacity), p->pl_imagefile,
                          p->pl_type_id > 0 ? std::optional<qint32>(p->pl_type_id) : std::nullopt,
                          p->pl_floor_id, p->pl_building_id};
        m_state.CurrentPlaceId = id;
        return true;
    }
    return false;
}

bool ResourceEditor::newResource(int index, const std::optional<TreeNodeRef>& node)
{
    if (!PassStructureGate(m_state))
        return false;
    if (!node || node->key.size() < 2) {
        m_state.TreeNodeLetter = QStringLiteral("B");
    } else if (index == 1) {
        if (m_state.TreeNodeLetter == QLatin1String("B"))
            m_state.TreeNodeLetter = QStringLiteral("F");
        else if (m_state.TreeNodeLetter == QLatin1String("F"))
            m_state.TreeNodeLetter = QStringLiteral("P");
    }
    const QString& letter = m_state.TreeNodeLetter;
    if (letter == QLatin1String("F")) {
        FloorFields& f = m_fields.floor;
        f.idText = NewResourceIdText;
        f.order = NextFloorOrder(f.order);
        f.orderLabel = FloorOrderLabel(f.order);
        f.name = f.orderLabel;
        f.imageFile.clear();
        f.info.clear();
    } else if (letter == QLatin1String("P")) {
        // Name, capacity, category and picture stay those of the place shown.
        PlaceFields& p = m_fields.place;
        p.idText = NewResourceIdText;
        p.disabled = false;
        p.info.clear();
    } else {
        BuildingFields& b = m_fields.building;
        b.idText = NewResourceIdText;
        b.name = TextUnnamed;
        b.imageFile.clear();
    }
    return store(node);
}

bool ResourceEditor::save(const std::optional<TreeNodeRef>& node)
{
    if (!PassStructureGate(m_state))
        return false;
    return store(node);
}

bool ResourceEditor::store(const std::optional<TreeNodeRef>& node)
{
    if (!node) {
        chooseFirst();
        return false;
    }
    ui::WaitCursor wait;
    const QString& letter = m_state.TreeNodeLetter;
    // A stored resource keeps the parents of its row; only a new one hangs
    // under the selected node.
    if (letter == QLatin1String("F")) {
        FloorFields& f = m_fields.floor;
        Floor floor;
        floor.flr_id = idOf(f.idText);
        floor.flr_building_id = floor.flr_id > 0 ? f.buildingId : buildingOfNode(*node);
        if (floor.flr_building_id <= 0)
            floor.flr_building_id = f.buildingId;
        if (floor.flr_building_id <= 0) {
            chooseFirst();
            return false;
        }
        floor.flr_order = f.order;
        floor.flr_name = rt::trim(f.name);
        floor.flr_short = rt::trim(f.shortName);
        floor.flr_imagefile = f.imageFile;
        floor.flr_info = rt::trim(f.info);
        if (refuseParentMissing(StoreFloor(floor), QStringLiteral("Die Etage"), QStringLiteral("ihr")))
            return false;
        f.idText = QString::number(floor.flr_id);
        f.buildingId = floor.flr_building_id;
        m_lastKey = QStringLiteral("F") + f.idText;
    } else if (letter == QLatin1String("P")) {
        PlaceFields& p = m_fields.place;
        Place place;
        place.pl_id = idOf(p.idText);
        if (place.pl_id > 0 || floorOfNode(*node) <= 0) {
            place.pl_floor_id = p.floorId;
            place.pl_building_id = p.buildingId;
        } else {
            place.pl_floor_id = floorOfNode(*node);
            place.pl_building_id = buildingOfNode(*node);
        }
        if (place.pl_floor_id <= 0) {
            chooseFirst();
            return false;
        }
        place.pl_name = rt::trim(p.name);
        place.pl_disabled = p.disabled;
        place.pl_info = rt::trim(p.info);
        place.pl_capacity = rt::clng(rt::val(p.capacity));
        place.pl_imagefile = rt::trim(p.imageFile);
        place.pl_type_id = p.typeId.value_or(0);
        if (refuseParentMissing(StorePlace(place, p.typeId.has_value()), QStringLiteral("Der Buchungsplatz"),
                                QStringLiteral("sein")))
            return false;
        p.idText = QString::number(place.pl_id);
        p.floorId = place.pl_floor_id;
        p.buildingId = place.pl_building_id;
        m_lastKey = QStringLiteral("P") + p.idText;
    } else {
        BuildingFields& b = m_fields.building;
        Building building;
        building.bld_id = idOf(b.idText);
        building.bld_mandant_id = building.bld_id > 0 && b.mandantId > 0 ? b.mandantId : MandantId;
        building.bld_name = rt::trim(b.name);
        building.bld_short = rt::trim(b.shortName);
        building.bld_imagefile = b.imageFile;
        StoreBuilding(building);
        b.idText = QString::number(building.bld_id);
        b.mandantId = building.bld_mandant_id;
        m_lastKey = QStringLiteral("B") + b.idText;
    }
    return true;
}

bool ResourceEditor::refuseParentMissing(StructureStoreResult result, const QString& what, const QString& its)
{
    QString parent;
    if (result == StructureStoreResult::BuildingMissing)
        parent = its + QStringLiteral(" Gebäude");
    else if (result == StructureStoreResult::FloorMissing)
        parent = its + QStringLiteral("e Etage");
    else
        return false;
    m_treeStale = true;
    ui::msgBox(what + QStringLiteral(" wurde nicht gespeichert: ") + parent +
                   QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht."),
               ui::Exclamation, AppTitle);
    return true;
}

bool ResourceEditor::remove(const std::optional<TreeNodeRef>& node)
{
    if (!PassStructureGate(m_state))
        return false;
    if (!node) {
        chooseFirst();
        return false;
    }
    const QString& letter = m_state.TreeNodeLetter;
    ResourceKind kind = ResourceKind::Building;
    QString idText = m_fields.building.idText;
    QString word = QStringLiteral("Etagen");
    if (letter == QLatin1String("F")) {
        kind = ResourceKind::Floor;
        idText = m_fields.floor.idText;
        word = QStringLiteral("Buchungsplätze");
    } else if (letter == QLatin1String("P")) {
        kind = ResourceKind::Place;
        idText = m_fields.place.idText;
        word = QStringLiteral("Buchungen");
    }
    const qint32 id = idOf(idText);
    if (id <= 0)
        return false;
    const QString name = QStringLiteral("\"") + m_state.TreeNodeText + QStringLiteral("\"");
    auto refuse = [&](int count) {
        ui::msgBox(QStringLiteral("Die Ressource ") + name + QStringLiteral(" kann nicht gelöscht werden, da es noch ") +
                       QString::number(count) + QStringLiteral(" abhängige ") + word + QStringLiteral(" gibt."),
                   ui::Critical, DeleteTitle);
    };
    if (const int count = DependantsOf(kind, id); count > 0) {
        refuse(count);
        return false;
    }
    if (ui::msgBox(QStringLiteral("Wollen Sie die Ressource ") + name + QStringLiteral(" löschen?"),
                   ui::OkCancel | ui::Question, DeleteTitle) != ui::Answer::Ok)
        return false;
    // Checked again with the delete: another workstation may have added
    // something below it meanwhile.
    const ResourceDeleteOutcome outcome = DeleteResource(kind, id);
    if (outcome.result == ResourceDeleteOutcome::Result::Referenced) {
        refuse(outcome.dependants);
        return false;
    }
    m_lastKey = letter + QString::number(id);
    return true;
}

std::optional<QString> RenameFacility(const PlanState& state, qint32 mandantId, const QString& caption)
{
    if (StationReadOnly || !PassPasswordGate(state))
        return std::nullopt;
    const std::optional<QString> answer =
        ui::inputBox(QStringLiteral("Geben Sie den neuen Namen des Unternehmens ein:"), QStringLiteral("Name ändern"), caption);
    if (!answer)
        return std::nullopt;
    const QString name = rt::trim(*answer);
    if (name.isEmpty() || name == caption)
        return std::nullopt;
    UpdateMandantName(mandantId, name);
    return name;
}

std::optional<QString> LoadFloorPicture(const PlanState& state, const QString& currentName, const QString& imageDir)
{
    if (RefuseReadOnly(ui::Critical) || !PassPasswordGate(state) || state.CurrentFloorId <= 0)
        return std::nullopt;
    ui::FileRequest request;
    request.title = QStringLiteral("Bild-Datei suchen");
    request.directory = imageDir;
    request.filter = ImageFileFilter;
    if (!currentName.isEmpty()) {
        const QString full = ImagePathFor(currentName, imageDir);
        if (FileExists(full))
            request.fileName = full;
    }
    const QString chosen = ui::DialogService::instance().openFile(request);
    if (chosen.isEmpty())
        return std::nullopt;
    const QString name = ImageNameFor(chosen, imageDir);
    UpdateFloorImageFile(state.CurrentFloorId, name);
    return name;
}

void OpenStructureTable(int button)
{
    struct Table {
        QString caption;
        QString table;
        QString title;
    };
    static const std::array<Table, 3> tables{
        Table{QStringLiteral("Gebäude-Tabelle"), QStringLiteral("tbl_buildings"), QStringLiteral("Gebäude-Definitionen")},
        Table{QStringLiteral("Etagen-Tabelle"), QStringLiteral("tbl_floors"), QStringLiteral("Etagen-Definitionen")},
        Table{QStringLiteral("Plätze-Tabelle"), QStringLiteral("tbl_places"), QStringLiteral("Buchungsplatz-Definitionen")}};
    if (button < 0 || button > 2)
        return;
    const Table& t = tables[static_cast<size_t>(button)];
    const QString text = QStringLiteral("ACHTUNG : Das folgende Konfigurationsfenster ist eigentlich nur zur Fehlersuche "
                                        "gedacht. Die üblichen Konfigurations-Anpassungen können Sie auch mit dem aktuell "
                                        "sichtbaren Fenster durchführen.\n\nWollen Sie die ") +
                         t.caption + QStringLiteral(" trotzdem öffnen?");
    if (ui::msgBox(text, ui::OkCancel | ui::Question, t.caption + QStringLiteral(" bearbeiten")) == ui::Answer::Ok)
        ShowRessources(t.table, t.title);
}
