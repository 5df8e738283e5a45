#pragma once

#include "core/singlewindow.h"

#include <QMainWindow>

class QLabel;
class QTableWidget;

// The main window: the occupancy plan of the current facility.
class frmStockwerke : public QMainWindow, public SingleWindow<frmStockwerke> {
    Q_OBJECT
    friend class SingleWindow<frmStockwerke>;

public:

    // Loads the plan of MandantId and shows it.
    void init();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    frmStockwerke();
    void menuSettings_Click();

public:
    QTableWidget* BuildingGrid = nullptr;
    QLabel* lbEinrichtungBelegtProzent = nullptr;

private:
    QLabel* m_facility = nullptr;
    QLabel* m_period = nullptr;
};
