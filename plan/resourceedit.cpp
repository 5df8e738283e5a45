#include "plan/resourceedit.h"

#include "core/files.h"
#include "core/globals.h"
#include "core/mandanten.h"
#include "core/messages.h"
#include "core/password.h"
#include "core/preferences.h"
#include "core/tabledata.h"
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

ResourceKind kindOf(const QString& letter)
{
    if (letter == QLatin1String("F"))
        return ResourceKind::Floor;
    if (letter == QLatin1String("P"))
        return ResourceKind::Place;
    return ResourceKind::Building;
}

// What a save writes of a frame's fields.
Building buildingOf(const BuildingFields& f)
{
    Building b;
    b.bld_id = idOf(f.idText);
    b.bld_name = rt::trim(f.name);
    b.bld_short = rt::trim(f.shortName);
    b.bld_imagefile = f.imageFile;
    return b;
}

Floor floorOf(const FloorFields& f)
{
    Floor floor;
    floor.flr_id = idOf(f.idText);
    floor.flr_order = f.order;
    floor.flr_name = rt::trim(f.name);
    floor.flr_short = rt::trim(f.shortName);
    floor.flr_imagefile = f.imageFile;
    floor.flr_info = rt::trim(f.info);
    return floor;
}

// The capacity as its whole-number column keeps it, by the rule the places
// table applies to a typed cell; an empty field is 0. nullopt for what the
// column cannot take.
std::optional<qint32> capacityOf(const QString& text)
{
    const QString typed = rt::trim(text);
    if (typed.isEmpty())
        return 0;
    TableColumn column;
    column.name = QStringLiteral("pl_capacity");
    column.type = db::DaoType::Integer;
    const std::optional<db::Value> value = TypedCellValue(QStringLiteral("tbl_places"), column, typed, nullptr);
    if (!value)
        return std::nullopt;
    return value->toLong();
}

Place placeOf(const PlaceFields& f)
{
    Place place;
    place.pl_id = idOf(f.idText);
    place.pl_name = rt::trim(f.name);
    place.pl_disabled = f.disabled;
    place.pl_info = rt::trim(f.info);
    place.pl_capacity = capacityOf(f.capacity).value_or(0);
    place.pl_imagefile = rt::trim(f.imageFile);
    place.pl_type_id = f.typeId.value_or(0);
    return place;
}

// The name of a resource's row as the tree shows it.
QString storedName(ResourceKind kind, const RowValues& row)
{
    switch (kind) {
    case ResourceKind::Building: return BuildingFromRow(row).bld_name;
    case ResourceKind::Floor: {
        const Floor floor = FloorFromRow(row);
        return FloorNodeText(floor.flr_name, floor.flr_order, FloorNames);
    }
    case ResourceKind::Place: break;
    }
    return PlaceFromRow(row).pl_name;
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
    if (id <= 0 || (letter != QLatin1String("B") && letter != QLatin1String("F") && letter != QLatin1String("P")))
        return false;
    ui::WaitCursor wait;
    const ResourceKind kind = kindOf(letter);
    const std::optional<RowValues> row = ReadResourceRow(kind, id);
    if (!row)
        return false;
    showRow(kind, *row);
    if (kind == ResourceKind::Place)
        m_state.CurrentPlaceId = id;
    return true;
}

void ResourceEditor::showRow(ResourceKind kind, const RowValues& row)
{
    qint32 id = 0;
    switch (kind) {
    case ResourceKind::Building: {
        const Building b = BuildingFromRow(row);
        m_fields.building = {QString::number(b.bld_id), b.bld_name, b.bld_short, b.bld_imagefile, b.bld_mandant_id};
        id = b.bld_id;
        break;
    }
    case ResourceKind::Floor: {
        const Floor f = FloorFromRow(row);
        m_fields.floor = {QString::number(f.flr_id), f.flr_order, FloorOrderLabel(f.flr_order), f.flr_name,
                          f.flr_short, f.flr_imagefile, f.flr_info, f.flr_building_id};
        id = f.flr_id;
        break;
    }
    case ResourceKind::Place: {
        const Place p = PlaceFromRow(row);
        m_fields.place = {QString::number(p.pl_id), p.pl_name, p.pl_disabled, p.pl_info,
                          QString::number(p.pl_capacity), p.pl_imagefile,
                          p.pl_type_id > 0 ? std::optional<qint32>(p.pl_type_id) : std::nullopt,
                          p.pl_floor_id, p.pl_building_id};
        id = p.pl_id;
        break;
    }
    }
    // Until the frame shows it, the base is what its fields hold.
    m_shown[static_cast<size_t>(kind)] = {id, row, columnsOfFields(kind), true};
}

void ResourceEditor::fieldsShown()
{
    for (size_t i = 0; i < m_shown.size(); ++i) {
        ShownRow& shown = m_shown[i];
        if (!shown.baseDue)
            continue;
        // A frame that cannot show a stored value (a short name longer than
        // its box) counts it as changed only when the user types over it.
        shown.base = columnsOfFields(static_cast<ResourceKind>(i));
        shown.baseDue = false;
    }
}

RowValues ResourceEditor::columnsOfFields(ResourceKind kind) const
{
    switch (kind) {
    case ResourceKind::Building: return BuildingColumns(buildingOf(m_fields.building));
    case ResourceKind::Floor: return FloorColumns(floorOf(m_fields.floor));
    case ResourceKind::Place: break;
    }
    return PlaceColumns(placeOf(m_fields.place), m_fields.place.typeId.has_value());
}

ResourceEditor::SaveStep ResourceEditor::saveShown(ResourceKind kind, qint32 id)
{
    if (id <= 0)
        return SaveStep::NoRow;
    const ShownRow& shown = m_shown[static_cast<size_t>(kind)];
    RowValues loaded = shown.loaded;
    RowValues base = shown.base;
    if (shown.id != id) {
        // Not a row this editor showed: every field counts as changed.
        const std::optional<RowValues> row = ReadResourceRow(kind, id);
        if (!row)
            return SaveStep::NoRow;
        loaded = *row;
        base.clear();
    }
    const MergedSave save = StoreResourceChanges(kind, id, loaded, ChangedColumns(base, columnsOfFields(kind)));
    switch (save.result) {
    case MergedSave::Result::Missing: return SaveStep::NoRow;
    case MergedSave::Result::Cancelled:
    case MergedSave::Result::Refused: return SaveStep::Cancelled;
    case MergedSave::Result::Written: break;
    }
    // The frame shows the row as stored: with what another workstation
    // changed meanwhile, and the stored value where the user kept it.
    showRow(kind, save.row);
    return SaveStep::Stored;
}

bool ResourceEditor::newResource(int index, const std::optional<TreeNodeRef>& node)
{
    m_capacityRefused = false;
    if (!PassStructureGate(m_state))
        return false;
    QString kind = m_state.TreeNodeLetter;
    if (!node || node->key.size() < 2) {
        kind = QStringLiteral("B");
    } else if (index == 1) {
        if (kind == QLatin1String("B"))
            kind = QStringLiteral("F");
        else if (kind == QLatin1String("F"))
            kind = QStringLiteral("P");
    }
    // A new place takes the capacity shown: refused before anything changes.
    if (kind == QLatin1String("P") && refuseCapacity())
        return false;
    m_state.TreeNodeLetter = kind;
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
    m_capacityRefused = false;
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
    const ResourceKind kind = kindOf(letter);
    // A stored resource keeps the parents of its row; only a new one hangs
    // under the selected node. One deleted meanwhile at another workstation
    // is stored anew, like a new one.
    SaveStep step = SaveStep::NoRow;
    qint32 id = 0;
    if (kind == ResourceKind::Floor) {
        FloorFields& f = m_fields.floor;
        Floor floor = floorOf(f);
        floor.flr_building_id = floor.flr_id > 0 ? f.buildingId : buildingOfNode(*node);
        if (floor.flr_building_id <= 0)
            floor.flr_building_id = f.buildingId;
        if (floor.flr_building_id <= 0) {
            chooseFirst();
            return false;
        }
        step = saveShown(kind, floor.flr_id);
        if (step == SaveStep::NoRow &&
            refuseParentMissing(StoreFloor(floor), QStringLiteral("Die Etage"), QStringLiteral("ihr")))
            return false;
        id = floor.flr_id;
    } else if (kind == ResourceKind::Place) {
        if (refuseCapacity())
            return false;
        PlaceFields& p = m_fields.place;
        Place place = placeOf(p);
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
        step = saveShown(kind, place.pl_id);
        if (step == SaveStep::NoRow &&
            refuseParentMissing(StorePlace(place, p.typeId.has_value()), QStringLiteral("Der Buchungsplatz"),
                                QStringLiteral("sein")))
            return false;
        id = place.pl_id;
    } else {
        BuildingFields& b = m_fields.building;
        Building building = buildingOf(b);
        building.bld_mandant_id = building.bld_id > 0 && b.mandantId > 0 ? b.mandantId : MandantId;
        step = saveShown(kind, building.bld_id);
        if (step == SaveStep::NoRow)
            StoreBuilding(building);
        id = building.bld_id;
    }
    if (step == SaveStep::Cancelled)
        return false;
    if (step == SaveStep::NoRow) {
        if (const std::optional<RowValues> row = ReadResourceRow(kind, id))
            showRow(kind, *row);
    }
    m_lastKey = QStringList{QStringLiteral("B"), QStringLiteral("F"), QStringLiteral("P")}[static_cast<int>(kind)] +
                QString::number(id);
    return true;
}

bool ResourceEditor::refuseCapacity()
{
    const QString& typed = m_fields.place.capacity;
    if (capacityOf(typed))
        return false;
    m_capacityRefused = true;
    ui::msgBox(QStringLiteral("Die Kapazität \"") + rt::trim(typed) +
                   QStringLiteral("\" lässt sich so nicht speichern. Bitte geben Sie eine ganze Zahl zwischen -32768 und "
                                  "32767 ein."),
               ui::Exclamation, AppTitle);
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
    const ResourceKind kind = kindOf(letter);
    QString idText = m_fields.building.idText;
    QString word = QStringLiteral("Etagen");
    if (kind == ResourceKind::Floor) {
        idText = m_fields.floor.idText;
        word = QStringLiteral("Buchungsplätze");
    } else if (kind == ResourceKind::Place) {
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
    // Compared with the row the frame shows; one it did not load from the
    // database (never the case from the tree) has nothing to compare.
    const ShownRow& frame = m_shown[static_cast<size_t>(kind)];
    const RowValues shown = frame.id == id ? frame.loaded : RowValues();
    const QString rowName = ResourceRowName(kind, storedName(kind, shown), id);
    const ResourceDeleteOutcome outcome =
        DeleteShownResource(kind, id, shown, [&](const RowValues& stored, const RowMerge& since) {
            if (!since.kept.isEmpty())
                return AskDeleteClash(rowName, ResourceMergeFields(kind), since) == ClashChoice::Mine;
            return ui::msgBox(QStringLiteral("Wollen Sie die Ressource \"") + storedName(kind, stored) +
                                  QStringLiteral("\" löschen?"),
                              ui::OkCancel | ui::Question | ui::DefaultButton2, DeleteTitle) == ui::Answer::Ok;
        });
    switch (outcome.result) {
    case ResourceDeleteOutcome::Result::Cancelled:
        return false;
    case ResourceDeleteOutcome::Result::Referenced:
        refuse(outcome.dependants);
        return false;
    case ResourceDeleteOutcome::Result::NotFound:
        ui::msgBox(rowName + QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht."), ui::Exclamation,
                   DeleteTitle);
        break;
    case ResourceDeleteOutcome::Result::Deleted:
        break;
    }
    m_lastKey = letter + QString::number(id);
    return true;
}

void ResourceEditor::edited(ResourceKind kind, const QString& column)
{
    ShownRow& shown = m_shown[static_cast<size_t>(kind)];
    MendUnshown(shown.base, shown.loaded, column);
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
    const MergedSave save = RenameMandant(mandantId, caption, name);
    if (save.result == MergedSave::Result::Missing)
        ui::msgBox(MandantRowName(caption, mandantId) + QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht."),
                   ui::Exclamation, QStringLiteral("Name ändern"));
    if (save.result != MergedSave::Result::Written)
        return std::nullopt;
    // Nein to the question keeps the name stored meanwhile: that one is shown.
    return save.row.value(QStringLiteral("mand_name")).toText().trimmed();
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
    // Compared with the picture the plan drew: one that another workstation
    // chose since then, or while the user looks for a new one, is not
    // replaced unasked.
    std::optional<RowValues> loaded = ReadResourceRow(ResourceKind::Floor, state.CurrentFloorId);
    if (loaded)
        loaded->insert(QStringLiteral("flr_imagefile"), db::textOrNull(state.CurrentFloorImageFile));
    const auto refuseDeleted = [&] {
        ui::msgBox(ResourceRowName(ResourceKind::Floor, loaded ? loaded->value(QStringLiteral("flr_name")).toText() : QString(),
                                   state.CurrentFloorId) +
                       QStringLiteral(" wurde inzwischen an einem anderen Arbeitsplatz gelöscht."),
                   ui::Exclamation, AppTitle);
    };
    if (!loaded) {
        refuseDeleted();
        return std::nullopt;
    }
    const QString chosen = ui::DialogService::instance().openFile(request);
    if (chosen.isEmpty())
        return std::nullopt;
    const QString name = ImageNameFor(chosen, imageDir);
    const MergedSave save = StoreResourceChanges(ResourceKind::Floor, state.CurrentFloorId, *loaded,
                                                 {{QStringLiteral("flr_imagefile"), db::textOrNull(name)}});
    if (save.result == MergedSave::Result::Missing)
        refuseDeleted();
    if (save.result != MergedSave::Result::Written)
        return std::nullopt;
    return FloorFromRow(save.row).flr_imagefile;
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
