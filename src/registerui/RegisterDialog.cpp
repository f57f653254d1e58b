#include "registerui/RegisterDialog.h"

#include "files/PrivateFile.h"
#include "files/SuggestedFiles.h"
#include "register/VisitCsv.h"
#include "registerui/Messages.h"
#include "registerui/TrendChart.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace nutrovo::registerui {

namespace {

QTableView *listOfRows(const QString &name, const QString &spoken, QAbstractItemModel &model)
{
    auto *view = new QTableView;
    view->setObjectName(name);
    view->setAccessibleName(spoken);
    view->setModel(&model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTabKeyNavigation(false);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    // Fixed row heights: a list of ten thousand clients is laid out at once.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setHighlightSections(false);
    return view;
}

QPushButton *button(const QString &name, const QString &text, const QString &description)
{
    auto *made = new QPushButton(text);
    made->setObjectName(name);
    made->setAccessibleName(QString(text).remove(u'&').remove(QStringLiteral("…")));
    made->setAccessibleDescription(description);
    return made;
}

void pickRow(QTableView &view, int row)
{
    if (row < 0)
        view.selectionModel()->clearSelection();
    else
        view.selectRow(row);
}

} // namespace

RegisterDialog::RegisterDialog(QWidget &window, reg::RegisterStore &store, std::function<void(qint64)> openVisit)
    : QDialog(&window), store_(store), openVisit_(std::move(openVisit))
{
    setObjectName(QStringLiteral("registerDialog"));
    setWindowTitle(QStringLiteral("Clients and Visits"));
    buildControls();
    connectControls();
    resize(920, 600);
}

void RegisterDialog::buildControls()
{
    search_ = new QLineEdit;
    search_->setObjectName(QStringLiteral("clientSearch"));
    search_->setAccessibleName(QStringLiteral("Find client"));
    search_->setPlaceholderText(QStringLiteral("Part of the name"));
    search_->setClearButtonEnabled(true);
    auto *searchLabel = new QLabel(QStringLiteral("&Find client:"));
    searchLabel->setBuddy(search_);

    clientList_ = listOfRows(QStringLiteral("clientList"), QStringLiteral("Clients"), clients_);
    visitList_ = listOfRows(QStringLiteral("visitList"), QStringLiteral("Visits"), visits_);
    chart_ = new TrendChart;
    chart_->setMinimumHeight(220);

    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("registerStatus"));
    status_->setWordWrap(true);
    open_ = button(QStringLiteral("openVisitButton"), QStringLiteral("&Open Visit"),
                   QStringLiteral("Shows the picked visit in the window"));
    export_ = button(QStringLiteral("exportCsvButton"), QStringLiteral("&Export CSV…"),
                     QStringLiteral("Writes every visit of the picked client to a CSV file"));
    delete_ = button(QStringLiteral("deleteVisitButton"), QStringLiteral("&Delete Visit…"),
                     QStringLiteral("Removes the picked visit from the register, after asking"));
    close_ = button(QStringLiteral("closeRegisterButton"), QStringLiteral("Close"),
                    QStringLiteral("Closes this dialog"));
    // Enter anywhere opens the picked visit; Escape closes.
    open_->setDefault(true);
    for (QPushButton *other : {export_, delete_, close_})
        other->setAutoDefault(false);

    auto *left = new QWidget;
    auto *leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(0, 0, 0, 0);
    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(search_);
    leftColumn->addLayout(searchRow);
    leftColumn->addWidget(clientList_);

    auto *right = new QSplitter(Qt::Vertical);
    right->addWidget(visitList_);
    right->addWidget(chart_);
    right->setChildrenCollapsible(false);
    auto *sides = new QSplitter(Qt::Horizontal);
    sides->addWidget(left);
    sides->addWidget(right);
    sides->setStretchFactor(1, 2);
    sides->setChildrenCollapsible(false);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *made : {open_, export_, delete_})
        buttons->addWidget(made);
    buttons->addStretch();
    buttons->addWidget(close_);

    auto *column = new QVBoxLayout(this);
    column->addWidget(sides, 1);
    column->addWidget(status_);
    column->addLayout(buttons);

    setTabOrder(search_, clientList_);
    setTabOrder(clientList_, visitList_);
    setTabOrder(visitList_, open_);
    setTabOrder(open_, export_);
    setTabOrder(export_, delete_);
    setTabOrder(delete_, close_);
}

void RegisterDialog::connectControls()
{
    connect(search_, &QLineEdit::textChanged, this, [this] { listClients(); });
    connect(clientList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { showVisitsOfPickedClient(); });
    connect(visitList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { enableButtons(); });
    connect(visitList_, &QAbstractItemView::doubleClicked, this, [this] { openPickedVisit(); });
    connect(open_, &QPushButton::clicked, this, [this] { openPickedVisit(); });
    connect(export_, &QPushButton::clicked, this, [this] { exportPickedClient(); });
    connect(delete_, &QPushButton::clicked, this, [this] { deletePickedVisit(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

bool RegisterDialog::listClients()
{
    const reg::ClientRow *picked = pickedClient();
    const qint64 pickedId = picked != nullptr ? picked->id : -1;
    reg::Result<QList<reg::ClientRow>> found = store_.findClients(search_->text());
    if (!found.ok()) {
        clients_.setClients({});
        tell(this, found.failure().message);
        return false;
    }
    clients_.setClients(std::move(found.value()));
    const int keep = clients_.rowOf(pickedId);
    pickRow(*clientList_, keep >= 0 ? keep : (clients_.rowCount() > 0 ? 0 : -1));
    if (clients_.rowCount() == 0)
        showVisitsOfPickedClient();
    const std::optional<QString> readOnly = store_.readOnlyReason();
    status_->setText(readOnly ? *readOnly
                     : clients_.rowCount() == 1 ? QStringLiteral("1 client")
                                                : QStringLiteral("%1 clients").arg(clients_.rowCount()));
    return true;
}

void RegisterDialog::pickClientNamed(const QString &name)
{
    const QString key = reg::RegisterStore::clientKey(name);
    for (int row = 0; row < clients_.rowCount(); ++row) {
        if (clients_.client(row)->key == key) {
            pickRow(*clientList_, row);
            clientList_->scrollTo(clients_.index(row, 0));
            return;
        }
    }
}

const reg::ClientRow *RegisterDialog::pickedClient() const
{
    const QModelIndexList rows = clientList_->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : clients_.client(rows.constFirst().row());
}

const reg::VisitRow *RegisterDialog::pickedVisit() const
{
    const QModelIndexList rows = visitList_->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : visits_.visit(rows.constFirst().row());
}

void RegisterDialog::showVisitsOfPickedClient()
{
    const reg::ClientRow *client = pickedClient();
    QList<reg::VisitRow> rows;
    if (client != nullptr) {
        reg::Result<QList<reg::VisitRow>> read = store_.visitsOf(client->id);
        if (!read.ok())
            tell(this, read.failure().message);
        else
            rows = std::move(read.value());
    }
    visits_.setVisits(rows);
    visitList_->resizeColumnsToContents(); // a client's visits are few
    chart_->showVisits(rows);
    pickRow(*visitList_, rows.isEmpty() ? -1 : 0);
    enableButtons();
}

void RegisterDialog::enableButtons()
{
    const bool visitPicked = pickedVisit() != nullptr;
    open_->setEnabled(visitPicked);
    export_->setEnabled(pickedClient() != nullptr && visits_.rowCount() > 0);
    const std::optional<QString> readOnly = store_.readOnlyReason();
    delete_->setEnabled(visitPicked && !readOnly);
    delete_->setToolTip(readOnly.value_or(QString()));
}

void RegisterDialog::openPickedVisit()
{
    if (const reg::VisitRow *visit = pickedVisit())
        openVisit_(visit->id);
}

void RegisterDialog::exportPickedClient()
{
    const reg::ClientRow *client = pickedClient();
    if (client == nullptr)
        return;
    const qint64 clientId = client->id;
    auto *dialog = new QFileDialog(this, QStringLiteral("Export CSV"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("CSV files (*.csv)"));
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    dialog->setDirectory(files::documentsFolder());
    dialog->selectFile(files::clientFilePart(client->name, QStringLiteral("client")) + QStringLiteral("-visits.csv"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog, clientId] { writeCsv(dialog->selectedFiles().value(0), clientId); });
    dialog->open();
}

// Written whole or not at all: a failed export leaves no file, and an
// existing one as it was.
void RegisterDialog::writeCsv(const QString &path, qint64 clientId)
{
    if (path.isEmpty())
        return;
    reg::Result<QList<reg::StoredVisit>> visits = store_.allVisitsOf(clientId);
    if (!visits.ok()) {
        tell(this, QStringLiteral("The visits were not exported. ") + visits.failure().message);
        return;
    }
    if (const auto why = files::writePrivately(path, reg::visitsCsv(visits.value()))) {
        tell(this, QStringLiteral("The visits can't be exported to %1: %2.")
                       .arg(QDir::toNativeSeparators(path), *why));
        return;
    }
    status_->setText(QStringLiteral("%1 visits exported to %2")
                         .arg(visits.value().size())
                         .arg(QDir::toNativeSeparators(path)));
}

void RegisterDialog::deletePickedVisit()
{
    const reg::VisitRow *visit = pickedVisit();
    const reg::ClientRow *client = pickedClient();
    if (visit == nullptr || client == nullptr)
        return;
    const qint64 visitId = visit->id;
    const bool lastVisit = visits_.rowCount() == 1;
    const QString question =
        QStringLiteral("Delete the visit of %1 on %2 from the register? This can't be undone.%3")
            .arg(client->name, visit->day,
                 lastVisit ? QStringLiteral(" It is the client's only visit: the client goes too.") : QString());
    if (!confirm(this, question))
        return;
    const reg::Result<reg::Done> deleted = store_.deleteVisit(visitId);
    if (!deleted.ok()) {
        tell(this, QStringLiteral("The visit was not deleted. ") + deleted.failure().message);
        if (deleted.failure().trouble != reg::Trouble::NotFound)
            return; // the lists stay as they were
    }
    listClients(); // the client goes with the last visit
}

} // namespace nutrovo::registerui
