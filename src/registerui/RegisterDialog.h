// Clients and Visits: find a client by part of the name, see the client's
// visits (newest first) with the figures the window showed and a chart of
// weight and BMI, and open, export or delete a visit. The selection drives
// everything: the client picked shows its visits, the visit picked is the
// one the buttons act on. The lists come from the register's own thread:
// the dialog opens at once, takes input meanwhile, and says what it waits for.
#pragma once

#include "register/RegisterWorker.h"
#include "registerui/RegisterModels.h"

#include <QDialog>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace nutrovo::registerui {

class TrendChart;

class RegisterDialog final : public QDialog {
public:
    // openVisit is asked to open the visit of that id; it closes the dialog
    // when it does.
    RegisterDialog(QWidget &window, reg::RegisterWorker &worker, std::function<void(qint64)> openVisit);

    // Lists the clients the search finds, once the register answers; then
    // `listed` is told whether it could (when it can't, the user was told
    // why). An answer to an older search than the latest is dropped.
    void listClients(const std::function<void(bool)> &listed = {});
    // Picks the client of that name, if listed.
    void pickClientNamed(const QString &name);
    // What the dialog waits for, in its status line.
    void showWaiting(const QString &what);
    // Closed: what is still under way is no longer wanted, and its answer,
    // or its failure, is not shown.
    void done(int result) override;

private:
    void buildControls();
    void connectControls();
    bool showClients(reg::Result<QList<reg::ClientRow>> found);
    void showVisitsOfPickedClient();
    void showVisits(const QList<reg::VisitRow> &rows);
    void showCount();
    void showPickedVisit();
    const reg::VisitRow *pickedVisit() const;
    const reg::ClientRow *pickedClient() const;
    void openPickedVisit();
    void exportPickedClient();
    void writeCsv(const QString &path, qint64 clientId);
    void deletePickedVisit();

    reg::RegisterWorker &worker_;
    std::function<void(qint64)> openVisit_;
    QTimer typingPause_;
    // The latest search and visit list asked for; shared with the register's
    // thread, which skips one that is no longer the latest.
    std::shared_ptr<std::atomic<quint64>> latestSearch_ = std::make_shared<std::atomic<quint64>>(0);
    std::shared_ptr<std::atomic<quint64>> latestVisits_ = std::make_shared<std::atomic<quint64>>(0);
    ClientListModel clients_;
    VisitListModel visits_;
    QLineEdit *search_ = nullptr;
    QTableView *clientList_ = nullptr;
    QTableView *visitList_ = nullptr;
    TrendChart *chart_ = nullptr;
    QPlainTextEdit *note_ = nullptr;
    QLabel *status_ = nullptr;
    QPushButton *open_ = nullptr;
    QPushButton *export_ = nullptr;
    QPushButton *delete_ = nullptr;
    QPushButton *close_ = nullptr;
};

} // namespace nutrovo::registerui
