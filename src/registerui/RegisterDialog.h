// Clients and Visits: find a client by part of the name, see the client's
// visits (newest first) with the figures the window showed and a chart of
// weight and BMI, and open, export or delete a visit. The selection drives
// everything: the client picked shows its visits, the visit picked is the
// one the buttons act on.
#pragma once

#include "register/RegisterStore.h"
#include "registerui/RegisterModels.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace nutrovo::registerui {

class TrendChart;

class RegisterDialog final : public QDialog {
public:
    // openVisit is asked to open the visit of that id; it closes the dialog
    // when it does.
    RegisterDialog(QWidget &window, reg::RegisterStore &store, std::function<void(qint64)> openVisit);

    // Lists the clients the search finds; false when the register can't be read.
    bool listClients();
    // Picks the client of that name, if listed.
    void pickClientNamed(const QString &name);

private:
    void buildControls();
    void connectControls();
    void showVisitsOfPickedClient();
    void enableButtons();
    const reg::VisitRow *pickedVisit() const;
    const reg::ClientRow *pickedClient() const;
    void openPickedVisit();
    void exportPickedClient();
    void writeCsv(const QString &path, qint64 clientId);
    void deletePickedVisit();

    reg::RegisterStore &store_;
    std::function<void(qint64)> openVisit_;
    ClientListModel clients_;
    VisitListModel visits_;
    QLineEdit *search_ = nullptr;
    QTableView *clientList_ = nullptr;
    QTableView *visitList_ = nullptr;
    TrendChart *chart_ = nullptr;
    QLabel *status_ = nullptr;
    QPushButton *open_ = nullptr;
    QPushButton *export_ = nullptr;
    QPushButton *delete_ = nullptr;
    QPushButton *close_ = nullptr;
};

} // namespace nutrovo::registerui
