#pragma once

#include <QMainWindow>

class QLabel;
class QTableWidget;

// The main window: the occupancy plan of the current facility.
class frmStockwerke : public QMainWindow {
    Q_OBJECT
public:
    static frmStockwerke& instance();
    static bool exists();

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
