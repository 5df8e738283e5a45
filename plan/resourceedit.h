#pragma once

#include "core/places.h"
#include "plan/planstate.h"

#include <QString>

#include <array>
#include <optional>
#include <utility>

// What the id labels of the editor frames show for a resource not yet stored.
inline const QString NewResourceIdText = QStringLiteral("* neu");

// The editor frames of the tree tab, as typed. The parent ids are those of
// the row last shown in the frame.
struct BuildingFields {
    QString idText;
    QString name;
    QString shortName;
    QString imageFile;
    qint32 mandantId = 0;
};

struct FloorFields {
    QString idText;
    int order = 0;          // the stepper's value
    QString orderLabel;     // its caption
    QString name;
    QString shortName;
    QString imageFile;
    QString info;
    qint32 buildingId = 0;
};

struct PlaceFields {
    QString idText;
    QString name;
    bool disabled = false;
    QString info;
    QString capacity;
    QString imageFile;
    std::optional<qint32> typeId;   // the chosen room category, if any
    qint32 floorId = 0;
    qint32 buildingId = 0;
};

struct ResourceFields {
    BuildingFields building;
    FloorFields floor;
    PlaceFields place;
};

// The selected tree node as far as the editors need it; the tags of its
// parent and grandparent are 0 where there is none.
struct TreeNodeRef {
    QString key;
    QString text;
    qint32 tag = 0;
    qint32 parentTag = 0;
    qint32 grandparentTag = 0;
    QString letter() const { return key.left(1); }
};

// The gate of every command that changes the facility structure: a
// read-only workstation is refused (text 390), then the administrator
// password is asked unless edit mode is on. False: do nothing.
bool PassStructureGate(const PlanState& state);
// The same without the read-only part, for commands that are refused only
// when they come to write.
bool PassPasswordGate(const PlanState& state);

// New, save and delete of buildings, floors and places from the editor
// frames; the window reads the frames into the fields before and shows them
// after. Every command passes the gate first.
class ResourceEditor {
public:
    ResourceEditor(PlanState& state, ResourceFields& fields) : m_state(state), m_fields(fields) {}

    // A click on a node: the read-only refusal and the gate, then the node's
    // kind, text and the current building and floor, then its row (if any)
    // in the frame. False when refused or when there is no node.
    bool select(const std::optional<TreeNodeRef>& node);
    // Fills the frame of the kind from the stored row; false when there is
    // none. A place becomes the current place.
    bool load(qint32 id, const QString& letter);

    // index 0: a resource of the kind shown; 1: one level below it. Stored at once.
    bool newResource(int index, const std::optional<TreeNodeRef>& node);
    bool save(const std::optional<TreeNodeRef>& node);
    // Refused while anything points to the resource; asks before it deletes,
    // about what another workstation changed since the frame read it.
    bool remove(const std::optional<TreeNodeRef>& node);
    // The user edited the field of the column in the frame of the kind: it
    // counts as changed from the stored value, also where the field showed
    // that value normalised (trimmed, cut to the box, a Null as 0).
    void edited(ResourceKind kind, const QString& column);

    // The frames show the fields now, as read back from them: a row loaded
    // or stored since compares its next save with what they show.
    void fieldsShown();

    // The tree key of the resource stored or deleted last.
    const QString& lastKey() const { return m_lastKey; }
    // Whether a refused store found the tree out of date (a parent deleted
    // at another workstation); asking clears it.
    bool takeTreeStale() { return std::exchange(m_treeStale, false); }
    // Whether the last command was refused for the place's capacity, which
    // stays as typed; asking clears it.
    bool takeCapacityRefused() { return std::exchange(m_capacityRefused, false); }

private:
    // A stored row as a frame shows it: as read, and the columns of its
    // fields right after (what a save compares with, ChangedColumns).
    struct ShownRow {
        qint32 id = 0;
        RowValues loaded;
        RowValues base;
        bool baseDue = false;   // the frame has yet to show it
    };
    enum class SaveStep { Stored, Cancelled, NoRow };

    bool store(const std::optional<TreeNodeRef>& node);
    // The frame of the kind shows the stored row, which becomes the one a
    // later save compares with.
    void showRow(ResourceKind kind, const RowValues& row);
    // Saves what the frame changed of a stored row, asking where another
    // workstation changed the same field; NoRow when there is no stored row
    // (not stored yet, or deleted meanwhile).
    SaveStep saveShown(ResourceKind kind, qint32 id);
    RowValues columnsOfFields(ResourceKind kind) const;

    // A capacity the column cannot hold ("zwei", 99999) is named; true then.
    bool refuseCapacity();
    // what ("Die Etage") and its possessive ("ihr") name the resource refused.
    bool refuseParentMissing(StructureStoreResult result, const QString& what, const QString& its);

    PlanState& m_state;
    ResourceFields& m_fields;
    QString m_lastKey;
    bool m_treeStale = false;
    bool m_capacityRefused = false;
    std::array<ShownRow, 3> m_shown;   // by ResourceKind
};

// The facility's new name asked for by the double-click on its caption; empty
// when nothing changes. Stores it.
std::optional<QString> RenameFacility(const PlanState& state, qint32 mandantId, const QString& caption);

// Asks for the picture of the floor plan and stores its name for the floor
// (relative to the picture folder when it lies there). nullopt when nothing
// was chosen or stored.
std::optional<QString> LoadFloorPicture(const PlanState& state, const QString& currentName, const QString& imageDir);

// The raw table editor of the three structure tables after its warning;
// button is 0 buildings, 1 floors, 2 places.
void OpenStructureTable(int button);
