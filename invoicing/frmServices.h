#pragma once

#include "core/singlewindow.h"
#include "core/startup.h"
#include "invoicing/catalogue.h"

#include <QWidget>

#include <array>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

// The catalogue of services and articles: keep an entry with its price and
// VAT class, and hand it with a quantity to the open invoice. It hides
// instead of closing, offering to save what was changed.
class frmServices : public QWidget, public SingleWindow<frmServices> {
    Q_OBJECT
    friend class SingleWindow<frmServices>;

public:
    ~frmServices() override;

    // Shows the catalogue on the service (below 1: none chosen); the other
    // two arguments are not used.
    void ShowArtikel(qint32 serviceId, qint32 unused1 = -1, qint32 unused2 = 0);

    const ServiceCatalogue& catalogue() const { return m_catalogue; }

    QListWidget* listArtikel = nullptr;
    QLineEdit* tbBeschreibung = nullptr;
    QLineEdit* tbComment = nullptr;
    QLineEdit* tbPreis = nullptr;
    QLabel* lbCurrency = nullptr;
    QLabel* lbMwSt_included = nullptr;
    std::array<QRadioButton*, 3> optMwSt{};
    QLineEdit* tbMenge = nullptr;
    std::array<QPushButton*, 2> btnMenge{};
    QLabel* RecordIndexDisplay = nullptr;
    QPushButton* btnNeu = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnZurRechnung = nullptr;
    QPushButton* btnListUpdate = nullptr;
    QPushButton* cmdMehrwertsteuer = nullptr;
    QPushButton* btnCopy = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmServices();
    void buildLayout();
    void Form_Load();
    void showEntry();
    void fillList(qint32 selectId);
    void SelectArtikelInList();
    bool Form_Unload();

    void listArtikel_Click();
    void listArtikel_DblClick(QListWidgetItem* item);
    void btnNeu_Click();
    void cmdSave_Click();
    void btnDelete_Click();
    void btnListUpdate_Click();
    void btnMenge_Click(int index);
    void btnZurRechnung_Click();
    void cmdMehrwertsteuer_Click();
    void tbMenge_LostFocus();
    void tbPreis_LostFocus();

    ServiceCatalogue m_catalogue;
    QButtonGroup* m_vatGroup = nullptr;
    int m_endWork = 0;
    bool m_endingUnattended = false;   // the program ends with nobody to ask
    UnsavedEditRegistration m_unsaved{[this] { return m_catalogue.UnsavedEdit(); }};
    // What the end work would store; named where it cannot run.
    UnsavedEditRegistration m_pending{[this] {
        if (!m_catalogue.Changed)
            return QString();
        const QString name = m_catalogue.Name.trimmed();
        return QStringLiteral("Hotelleistungen: Änderungen")
               + (name.isEmpty() ? QString() : QStringLiteral(" an \"") + name + QLatin1Char('"'));
    }, nullptr, EditKind::StoredAtEnd};
};
