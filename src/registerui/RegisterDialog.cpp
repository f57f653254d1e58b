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
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace nutrovo::registerui {

namespace {

// A pause in typing this long starts the search.
constexpr int typingPauseMs = 150;

// A command skipped on the register's thread: its answer is never shown.
reg::Failure skipped() { return {reg::Trouble::Other, QString()}; }

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

RegisterDialog::RegisterDialog(QWidget &window, reg::RegisterWorker &worker, std::function<void(qint64)> openVisit)
    : QDialog(&window), worker_(worker), openVisit_(std::move(openVisit))
{
    typingPause_.setSingleShot(true);
    typingPause_.setInterval(typingPauseMs);
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
    note_ = new QPlainTextEdit;
    note_->setObjectName(QStringLiteral("visitNoteView"));
    note_->setAccessibleName(QStringLiteral("Visit note"));
    note_->setReadOnly(true);
    // Read by keys too, and Tab goes on to the buttons.
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    note_->setTabChangesFocus(true);
    note_->setPlaceholderText(QStringLiteral("No note was saved with this visit."));

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
    right->addWidget(note_);
    // The list and the chart first; the note gets what is left, and more when dragged.
    for (int pane : {0, 1})
        right->setStretchFactor(pane, 2);
    right->setStretchFactor(2, 1);
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
    setTabOrder(visitList_, note_);
    setTabOrder(note_, open_);
    setTabOrder(open_, export_);
    setTabOrder(export_, delete_);
    setTabOrder(delete_, close_);
}

void RegisterDialog::connectControls()
{
    connect(search_, &QLineEdit::textChanged, this, [this] {
        ++*latestSearch_; // what is under way is no longer wanted
        typingPause_.start();
    });
    connect(&typingPause_, &QTimer::timeout, this, [this] { listClients(); });
    connect(clientList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { showVisitsOfPickedClient(); });
    connect(visitList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { showPickedVisit(); });
    connect(visitList_, &QAbstractItemView::doubleClicked, this, [this] { openPickedVisit(); });
    connect(open_, &QPushButton::clicked, this, [this] { openPickedVisit(); });
    connect(export_, &QPushButton::clicked, this, [this] { exportPickedClient(); });
    connect(delete_, &QPushButton::clicked, this, [this] { deletePickedVisit(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
}

void RegisterDialog::listClients(const std::function<void(bool)> &listed)
{
    const quint64 asked = ++*latestSearch_;
    showWaiting(QStringLiteral("Looking in the register…"));
    worker_.run<QList<reg::ClientRow>>(
        this,
        [part = search_->text(), asked, latest = latestSearch_](reg::RegisterStore &store) {
            return asked == *latest ? store.findClients(part) : reg::Result<QList<reg::ClientRow>>(skipped());
        },
        [this, asked, listed](reg::Result<QList<reg::ClientRow>> found) {
            if (asked != *latestSearch_)
                return; // a newer search was typed
            const bool shown = showClients(std::move(found));
            if (listed)
                listed(shown);
        });
}

bool RegisterDialog::showClients(reg::Result<QList<reg::ClientRow>> found)
{
    const reg::ClientRow *picked = pickedClient();
    const qint64 pickedId = picked != nullptr ? picked->id : -1;
    clients_.setClients(found.ok() ? std::move(found.value()) : QList<reg::ClientRow>());
    const int keep = clients_.rowOf(pickedId);
    pickRow(*clientList_, keep >= 0 ? keep : (clients_.rowCount() > 0 ? 0 : -1));
    if (clients_.rowCount() == 0)
        showVisitsOfPickedClient();
    if (!found.ok()) {
        status_->setText(found.failure().message);
        tell(this, found.failure().message);
        return false;
    }
    showCount();
    return true;
}

void RegisterDialog::showWaiting(const QString &what) { status_->setText(what); }

void RegisterDialog::done(int result)
{
    ++*latestSearch_;
    ++*latestVisits_;
    typingPause_.stop();
    QDialog::done(result);
}

void RegisterDialog::showCount()
{
    const std::optional<QString> &readOnly = worker_.readOnlyReason();
    status_->setText(readOnly ? *readOnly
                     : clients_.rowCount() == 1 ? QStringLiteral("1 client")
                                                : QStringLiteral("%1 clients").arg(clients_.rowCount()));
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
    const quint64 asked = ++*latestVisits_;
    const reg::ClientRow *client = pickedClient();
    if (client == nullptr) {
        showVisits({});
        return;
    }
    visits_.setVisits({}); // nothing of the client picked before stays meanwhile
    showPickedVisit();
    worker_.run<QList<reg::VisitRow>>(
        this,
        [clientId = client->id, asked, latest = latestVisits_](reg::RegisterStore &store) {
            return asked == *latest ? store.visitsOf(clientId) : reg::Result<QList<reg::VisitRow>>(skipped());
        },
        [this, asked](const reg::Result<QList<reg::VisitRow>> &read) {
            if (asked != *latestVisits_)
                return; // another client was picked since
            showVisits(read.ok() ? read.value() : QList<reg::VisitRow>());
            if (!read.ok())
                tell(this, read.failure().message);
        });
}

void RegisterDialog::showVisits(const QList<reg::VisitRow> &rows)
{
    visits_.setVisits(rows);
    visitList_->resizeColumnsToContents(); // a client's visits are few
    chart_->showVisits(rows);
    pickRow(*visitList_, rows.isEmpty() ? -1 : 0);
    showPickedVisit();
}

// The picked visit's note, and the buttons that act on it.
void RegisterDialog::showPickedVisit()
{
    const reg::VisitRow *picked = pickedVisit();
    note_->setPlainText(picked != nullptr ? picked->note : QString());
    const bool visitPicked = picked != nullptr;
    open_->setEnabled(visitPicked);
    export_->setEnabled(pickedClient() != nullptr && visits_.rowCount() > 0);
    const std::optional<QString> &readOnly = worker_.readOnlyReason();
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
    const reg::Result<reg::CheckedVisits> visits = worker_.wait<reg::CheckedVisits>(
        [clientId](reg::RegisterStore &store) { return store.allVisitsOf(clientId); });
    if (!visits.ok()) {
        tell(this, QStringLiteral("The visits were not exported. ") + visits.failure().message);
        return;
    }
    if (const auto why = files::writePrivately(path, reg::visitsCsv(visits.value().visits))) {
        tell(this, QStringLiteral("The visits can't be exported to %1: %2.")
                       .arg(QDir::toNativeSeparators(path), *why));
        return;
    }
    const QStringList &failing = visits.value().failingCheck;
    status_->setText(QStringLiteral("%1 visits exported to %2.%3")
                         .arg(visits.value().visits.size())
                         .arg(QDir::toNativeSeparators(path),
                              failing.isEmpty() ? QString()
                                                : QStringLiteral(" Not exported, as the register holds values "
                                                                 "for them that fail the program's check: %1.")
                                                      .arg(failing.join(QStringLiteral("; ")))));
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
    const reg::Result<reg::Done> deleted =
        worker_.wait<reg::Done>([visitId](reg::RegisterStore &store) { return store.deleteVisit(visitId); });
    if (!deleted.ok()) {
        tell(this, QStringLiteral("The visit was not deleted. ") + deleted.failure().message);
        if (deleted.failure().trouble != reg::Trouble::NotFound)
            return; // the lists stay as they were
    }
    // The lists as the register holds them now (the client goes with the
    // last visit), before another deletion can be asked for.
    const quint64 search = ++*latestSearch_;
    const reg::Result<QList<reg::ClientRow>> found = worker_.wait<QList<reg::ClientRow>>(
        [part = search_->text()](reg::RegisterStore &store) { return store.findClients(part); });
    if (search != *latestSearch_ || !showClients(found) || pickedClient() == nullptr)
        return;
    const quint64 visits = ++*latestVisits_; // the one the new list's pick asked for is not needed
    const reg::Result<QList<reg::VisitRow>> read = worker_.wait<QList<reg::VisitRow>>(
        [clientId = pickedClient()->id](reg::RegisterStore &store) { return store.visitsOf(clientId); });
    if (visits == *latestVisits_)
        showVisits(read.ok() ? read.value() : QList<reg::VisitRow>());
}

} // namespace nutrovo::registerui
