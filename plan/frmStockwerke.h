#pragma once

#include "core/dialogs/datepicker.h"
#include "core/globals.h"
#include "core/singlewindow.h"
#include "core/startup.h"
#include "plan/bookingpanel.h"
#include "plan/plancalendar.h"
#include "plan/planstate.h"
#include "plan/resourceedit.h"
#include "platform/runtime/date.h"

#include <QEvent>
#include <QMainWindow>
#include <QVector>

#include <array>
#include <optional>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QToolButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class StructureEvents;
class UserControl1;

// The main window: the occupancy plan of the current facility. Three views
// on SSTab1 (floor plan, schedule, resource tree), beside them the building
// grid, the month calendar of the selected period and the booking panel.
class frmStockwerke : public QMainWindow,
                      public SingleWindow<frmStockwerke>,
                      public AddressReceiver,
                      public DateReceiver {
    Q_OBJECT
    friend class SingleWindow<frmStockwerke>;
    friend class StructureEvents;

public:
    // Shows the plan of MandantId; the facility's caption, grid, category
    // filter and tree are filled again only when the facility changed.
    void init();
    // Redraws the view of the shown tab (the schedule from d, else from its
    // kept first day), then the building grid, and counts as this
    // workstation's access.
    void ActualizeControls(std::optional<rt::Date> d = std::nullopt);
    // After bookings were saved or deleted in another window: the booking the
    // panel shows is read again (or the panel cleared when it is gone), so a
    // later save from the panel cannot write its old values back; then the
    // view is refreshed.
    void RefreshAfterBookingChange();
    // A guest from the address book for the booking panel.
    void AddMainAdress(qint32 custId, const QString& name) override;
    // Makes a place current (its name shown and kept in CurrentPlaceName);
    // switchFloor 1 first shows floorId and marks the place's marker.
    void ShowPlatzDetails(qint32 placeId, int switchFloor, qint32 floorId);
    // Shows a floor of the current facility on the floor plan: floorId, else
    // the first floor of buildingId, else the facility's first floor; with an
    // order, the building's floor of that order.
    void ShowStockwerkDetails(qint32 floorId, qint32 buildingId, std::optional<int> floorOrder = std::nullopt);
    // Draws the markers of a floor over its picture.
    void ShowPlaetze(qint32 floorId);
    void btnRefresh_Click();
    // The day picked in the date picker, for the booking date that asked.
    void Receive_SelectedDate(const rt::Date& date) override;

    PlanState& state() { return m_state; }
    const PlanState& state() const { return m_state; }
    const PlanCalendar& calendar() const { return m_calendar; }

    // Menus; the entries of the other windows join them.
    QMenu* menuFile = nullptr;
    QMenu* menuEdit = nullptr;
    QMenu* menuAnsicht = nullptr;
    QMenu* menuWindow = nullptr;
    QMenu* menuContext = nullptr;
    QAction* menuPreferences = nullptr;
    QAction* menuRefresh = nullptr;
    QAction* menuShowCategoryColors = nullptr;
    QAction* menuEditMode = nullptr;
    QAction* menuShowRoomDetails = nullptr;
    QAction* menuShowBookingDetails = nullptr;
    QAction* menuShowBewohner = nullptr;
    QAction* menuShowFrmEinrichtungen = nullptr;
    QAction* menuCustomers = nullptr;
    QAction* menuBookings = nullptr;
    QAction* menuInvoices = nullptr;
    QAction* menuServices = nullptr;
    QAction* menuHelp = nullptr;
    QMenu* MenuPopUp = nullptr;
    QAction* menuCreateBooking = nullptr;
    QAction* menuShowBooking = nullptr;
    QAction* menuDeleteBooking = nullptr;
    QAction* menuContextShowRoomDetails = nullptr;
    QAction* menuContextShowBookingDetails = nullptr;
    QAction* menuContextShowBewohner = nullptr;

    QLabel* lbEinrichtungsname = nullptr;
    QPushButton* btnRefresh = nullptr;
    QPushButton* btnHelp = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QWidget* frameRightBar = nullptr;
    QTableWidget* BuildingGrid = nullptr;
    QLabel* lbEinrichtungBelegtProzent = nullptr;
    QLabel* StatusBar1 = nullptr;

    // Tab 0: the floor plan. Marker positions are twips on the picture.
    QLabel* lbStockwerkName = nullptr;
    std::array<QToolButton*, 2> cmdFloorStep{};
    QComboBox* listRoomCategoryFilter = nullptr;
    QLabel* lbBettenCount = nullptr;
    QWidget* floorPlanBox = nullptr;
    QLabel* imgStockwerk = nullptr;
    std::vector<QLabel*> lbPlatz;   // 0 is the pattern and never shown
    QLabel* lbImageName = nullptr;
    QLabel* lbFloorPlanHint = nullptr;
    QPushButton* cmdLoadPicture = nullptr;
    QWidget* FocusDummy = nullptr;

    // Tab 1: the schedule.
    UserControl1* mySchedule = nullptr;
    QLabel* lbBelegungsverlaufStockwerkName = nullptr;
    std::array<QToolButton*, 2> btnDateCount{};
    std::array<QToolButton*, 2> btnDateAddWeek{};
    std::array<QToolButton*, 2> btnDateAddMonth{};
    std::array<QToolButton*, 2> btnDateAddQuartal{};
    QPushButton* btnheute = nullptr;

    // Tab 2: the resource tree; its editors go into treeDetails.
    QTreeWidget* TV1 = nullptr;
    QWidget* treeDetails = nullptr;

    // The structure's editors beside the tree (frmStockwerke_tree.cpp) and
    // the floor plan's edit mode (frmStockwerke_edit.cpp).
    QGroupBox* frameBuilding = nullptr;
    QLabel* lbBuilding_id = nullptr;
    QLineEdit* tbBuildingName = nullptr;
    QLineEdit* tbbld_short = nullptr;
    QLineEdit* tbBuildingImageFile = nullptr;
    QPushButton* cmdBrowseBuildingImageFile = nullptr;
    QPushButton* cmdShowBuildingImage = nullptr;
    QPushButton* cmdSaveBuildingDetails = nullptr;
    QGroupBox* frameFloor = nullptr;
    QLabel* lbFloor_id = nullptr;
    QLabel* lbflr_order = nullptr;
    std::array<QToolButton*, 2> imgMaxNum{};
    QLineEdit* tbFloorName = nullptr;
    QLineEdit* tbflr_short = nullptr;
    QLineEdit* tbFloorImageFile = nullptr;
    QLineEdit* tbFloorInfo = nullptr;
    QPushButton* cmdBrowseFloorImageFile = nullptr;
    QPushButton* cmdShowFloorImage = nullptr;
    QPushButton* cmdSaveFloorDetails = nullptr;
    QPushButton* cmdEditFloorProperties = nullptr;
    QGroupBox* framePlace = nullptr;
    QLabel* lbPlace_id = nullptr;
    QLineEdit* tbPlatzName = nullptr;
    QCheckBox* chkPlaceDisabled = nullptr;
    QComboBox* listPlatzTyp = nullptr;
    QLineEdit* tbPlatzInfo = nullptr;
    QLineEdit* tbPlaceCapacity = nullptr;
    QLineEdit* tbPlaceImageFile = nullptr;
    QPushButton* cmdBrowsePlaceImageFile = nullptr;
    QPushButton* cmdShowPlaceImage = nullptr;
    QPushButton* cmdSavePlaceDetails = nullptr;
    QPushButton* cmdEditPlaceCoordinates = nullptr;
    QPushButton* cmdPlaceBookings = nullptr;
    std::array<QPushButton*, 2> cmdNewResource{};
    QPushButton* cmdSaveResource = nullptr;
    QPushButton* cmdDeleteResource = nullptr;
    QPushButton* btnEditBuildings = nullptr;
    QPushButton* btnEditFloors = nullptr;
    QPushButton* btnEditPlaces = nullptr;
    QPushButton* cmdKategorieFilter = nullptr;
    QToolButton* cmdShowRoomImage = nullptr;
    QCheckBox* chkWuselMode = nullptr;
    QTimer* WuselTimer = nullptr;

    // Fills the editor frame of the kind ("B", "F" or "P") from its row; a
    // place also becomes the current place of the plan.
    void ShowResourceDetails(qint32 id, const QString& letter);

    // The month calendar of the selected period.
    QGroupBox* frameCheckTimeLimits = nullptr;
    QLabel* lbDateRange = nullptr;
    QComboBox* listMonth = nullptr;
    QComboBox* listYear = nullptr;
    std::array<QToolButton*, 2> btnMonthStep{};
    std::array<QToolButton*, 2> btnYearStep{};
    QPushButton* cmdBuchungStartNow = nullptr;
    QTableWidget* CalendarGrid = nullptr;

    // The booking panel.
    QGroupBox* frameReservierungsdetails = nullptr;
    QLabel* lblRoomName = nullptr;
    std::array<QLineEdit*, 2> tbBuchungDatum{};
    std::array<QLineEdit*, 2> tbZeit{};
    std::array<QToolButton*, 2> btnStartDateStep{};
    std::array<QToolButton*, 2> btnEndDateStep{};
    QLineEdit* tbBewohner = nullptr;
    QPushButton* cmdShowPat = nullptr;
    QPushButton* btnPatDel = nullptr;
    QPushButton* btnPatient = nullptr;
    QLineEdit* tbPersoncount = nullptr;
    std::array<QToolButton*, 2> btnPersoncountStep{};
    QLineEdit* tbBuchungInfo = nullptr;
    QLabel* lbBookingStatus = nullptr;
    QLabel* lbBookingCount = nullptr;
    QPushButton* btnShowBookings = nullptr;
    QPushButton* btnNeuBooking = nullptr;
    QPushButton* cmdSaveBooking = nullptr;
    QPushButton* cmdBuchungDelete = nullptr;
    QPushButton* cmdInvoice = nullptr;
    QPushButton* btnShowBookingDetails = nullptr;
    QPushButton* cmdAnreiseliste = nullptr;
    QPushButton* cmdAbreiseliste = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmStockwerke();
    void buildMenus();
    QWidget* buildFloorPlanTab();
    QWidget* buildScheduleTab();
    QWidget* buildTreeTab();
    QWidget* buildRightBar();
    QWidget* buildCalendarFrame();
    QWidget* buildBookingPanel();
    void orderTabStops();
    void Form_Load();

    // Life, layout and tabs.
    void SSTab1_Click(int previousTab);
    // The building grid for the selected period, and this workstation's access.
    void refreshBuildingGrid();
    void SetEditModeControls(bool on);
    void btnHelp_Click();
    void menuSettings_Click();
    void fillFacility();

    // Floor plan.
    void FillListRoomCategoryFilter(qint32 mandantId);
    void listRoomCategoryFilter_Click();
    void ClearPlaceSelection(int exceptIndex);
    // No place is current any more: its name, mark, panel and booked days go.
    // An unsaved edit in the panel stays, and keeps its place.
    void forgetCurrentPlace();
    // The plan without a floor: no caption, picture or markers.
    void showNoFloor();
    void setMarkerMark(QLabel* marker, bool marked);
    QLabel* marker(int index);
    void lbPlatz_MouseDown(int index, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void lbPlatz_DblClick(int index);
    void imgStockwerk_MouseDown(Qt::MouseButton button, QPoint globalPos);
    void cmdFloorStep_MouseUp(int index);
    void BuildingGrid_MouseDown(int row, int column);
    void BuildingGrid_MouseMove(QPoint pos);

    // Calendar and period.
    void InitCalendar();
    rt::Date BuildCalendarGrid(const rt::Date& d);
    void ShowSelectedPeriod();
    void MarkBookedDays(qint32 placeId);
    void showCalendarCells();
    int calendarCellAt(QPoint viewportPos) const;
    rt::Date calendarCellDate(int cell) const;
    void CalendarGrid_MouseDown(Qt::MouseButton button, int cell);
    void CalendarGrid_MouseUp(Qt::MouseButton button, int cell);
    void CalendarGrid_Click(int cell);
    void CalendarGrid_DblClick(int cell);
    // Arrows move the day cursor, Shift+arrows mark from where the Shift
    // began, Enter or Space mark up to the cursor: a press and drag by keys.
    bool CalendarGrid_KeyDown(const QKeyEvent* e);
    // The day cursor on day, turning the calendar to its month when asked.
    void focusCalendarOn(const rt::Date& day, bool turnMonth = true);
    int calendarCellOf(const rt::Date& day) const;
    void btnMonthStep_Click(int index);
    void btnYearStep_Click(int index);
    void listMonth_Click();
    void listYear_Click();
    void lbDateRange_Click();
    void cmdBuchungStartNow_Click();
    void stepPlanStart(int step, int index);
    void btnheute_Click();

    // After a step that passed the focus through FocusDummy: back to the
    // control the user was in, else to fallback; never left on what nobody sees.
    void focusAfterStep(QWidget* before, QWidget* fallback);

    // Booking panel.
    void readBookingPanel();
    void applyBookingPanel();
    void ClearBookingPanel(bool fillDates);
    void LoadBookingPanel(qint32 bookId, qint32 placeId);
    void ValidateBookingDate(int index);
    void StepBookingDate(int index, int days);
    void cmdSaveBooking_Click();
    void cmdBuchungDelete_Click();
    void btnNeuBooking_Click();
    void btnPatDel_Click();
    void btnPatient_Click();
    void cmdShowPat_Click();
    void btnPersoncountStep_Click(int index);
    void btnShowBookingDetails_Click();
    void btnShowBookings_Click();
    void cmdAnreiseliste_Click();
    void cmdAbreiseliste_Click();
    void cmdInvoice_Click();
    void tbBuchungDatum_DblClick(int index);

    // Schedule and tree tabs.
    void InitScheduleControl();
    void FillSchedule(const QString& criterion, qint32 floorId, qint32 buildingId, const rt::Date& startDate);
    void mySchedule_TimeObjectClick(qint32 id);
    void mySchedule_TimeObjectDblClick(qint32 id);
    void mySchedule_ResourceHeaderClick(qint32 id, const QString& name);
    // A place chosen in the schedule becomes the current place, shown by its row's name.
    void scheduleChosePlace(qint32 placeId, const QString& rowName);
    void mySchedule_ResourceHeaderDblClick(qint32 id, const QString& name);
    void mySchedule_ScheduleDblClick(const QVector<qint32>& resourceIds, const rt::Date& dtStart, const rt::Date& dtEnd);
    void mySchedule_RubberbandSelected(qint32 resourceId, const QString& name, const rt::Date& dtStart,
                                       const rt::Date& dtEnd);
    void mySchedule_TimeObjectDelete(const QVector<qint32>& ids);
    void mySchedule_TimeObjectDragDrop(const QVector<qint32>& ids, qint32 oldResourceId, qint32 newResourceId,
                                       const rt::Date& oldStart, const rt::Date& newStart, bool copy);
    // After a change in the schedule: the schedule and grid again, and the
    // panel no longer showing a booking as it was.
    void scheduleChanged(const QVector<qint32>& ids, bool deleted);
    void FillResourceTree();
    void RefreshTreeOccupancy();

    // The structure's editors and the floor plan's edit mode.
    void buildStructureEditors();
    QWidget* buildResourceFrames();
    std::optional<TreeNodeRef> selectedTreeNode() const;
    std::optional<TreeNodeRef> selectedTreeNodeOf(const QTreeWidgetItem* item) const;
    void selectTreeNode(const QString& key);
    void readResourceFields();
    void applyResourceFields();
    void showResourceFrame(const QString& letter);
    void focusCapacity();
    // clicked: chosen by the mouse, which also unfolds a folded node.
    void TV1_NodeClick(QTreeWidgetItem* node, bool clicked);
    void TV1_Input(QObject* watched, QEvent::Type type);
    void SelectResourceNode(QTreeWidgetItem* node);
    void cmdNewResource_Click(int index);
    void cmdSaveResource_Click();
    void cmdDeleteResource_Click();
    void cmdBrowseImageFile_Click(QLineEdit* textBox);
    void cmdShowImage_Click(QLineEdit* textBox, QLineEdit* nameBox);
    void cmdShowRoomImage_Click();
    void cmdPlaceBookings_Click();
    void btnEditTable_Click(int table);
    void cmdKategorieFilter_Click();
    void imgMaxNum_MouseDown(int index);
    void menuEditMode_Click();
    void cmdLoadPicture_Click();
    void chkWuselMode_Click();
    void WuselTimer_Timer();
    void RestorePlaceHomePositions();
    void lbEinrichtungsname_DblClick();
    void lbStockwerkName_DblClick();
    void openResourceEditor(qint32 id, const QString& letter);
    void lbPlatzEditMode_DblClick();
    void lbPlatz_Drag(QLabel* marker, QPoint boxPos);
    void lbPlatz_Release(QLabel* marker, QPoint boxPos);
    void imgStockwerk_DragDrop(QLabel* marker, QPoint boxPos);
    // Stores where markers now stand on the floor picture (twips), and shows
    // each where it is stored.
    void SavePlaceRects(const std::vector<std::pair<QLabel*, PlaceRectMove>>& moved);
    // A marker's place and where it rests, as drawn or stored since.
    PlaceRectMove drawnMarker(const QLabel* marker) const;
    QList<qint32> selectedPlaceIds(bool hide);
    bool Form_KeyDown(int key, Qt::KeyboardModifiers modifiers);

    // The menu entries that open other windows and the small handlers.
    void buildMenuEntries();
    void menuContextShowRoomDetails_Click();
    void menuShowBewohner_Click();
    void menuShowBooking_Click();
    void menuShowFrmEinrichtungen_Click();
    void menuServices_Click();
    void menuHelp_Click();

    ResourceFields m_resourceFields;
    ResourceEditor m_resourceEditor{m_state, m_resourceFields};
    StructureEvents* m_structureEvents = nullptr;
    QWidget* m_dragOutline = nullptr;      // follows the mouse while a marker is dragged
    bool m_treePressChanged = false;       // the press of the click under way chose the node
    enum class TreeInput { None, Mouse, Key };
    TreeInput m_treeInput = TreeInput::None;   // what is about to move the tree's current node

    PlanState m_state;
    PlanCalendar m_calendar;
    BookingPanelFields m_panelFields;
    BookingPanel m_panel{m_state, m_panelFields};
    // Asked when the program is to end.
    UnsavedEditRegistration m_unsavedBooking{[this] {
        readBookingPanel();
        return m_panel.unsavedEdit();
    }, this};
    rt::Date m_calendarAnchor;       // the day a left press in the calendar started on
    int m_calendarPressCell = -1;
    rt::Date m_calendarKeyAnchor;    // where a marking by Shift+arrows began; zero when none
    int m_dateFieldAsking = -1;      // the booking date that opened the date picker
    bool m_loaded = false;
};
