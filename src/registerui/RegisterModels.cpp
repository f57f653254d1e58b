#include "registerui/RegisterModels.h"

#include <array>

namespace nutrovo::registerui {

namespace {

// Visit list columns: the date, the figures in VisitFigure's order, who
// saved it and the dietitian the header named. Short headings, so that a row fits beside the client list; the
// whole name is in the tip and what a screen reader says.
struct Heading {
    const char *shown;
    const char *whole;
};
constexpr std::array<Heading, reg::visitFigureCount> figureHeadings = {{
    {"Weight kg", "Weight in kilograms"},
    {"BMI", "Body mass index"},
    {"BMI class", "BMI class for the client's age and sex"},
    {"HB kcal", "Harris-Benedict maintenance, kilocalories per day"},
    {"Owen kcal", "Owen maintenance, kilocalories per day"},
    {"Mifflin kcal", "Mifflin-St Jeor maintenance, kilocalories per day"},
    {"WHO kcal", "WHO maintenance, kilocalories per day"},
    {"Other kcal", "Another formula maintenance, kilocalories per day"},
}};
constexpr int dateColumn = 0;
constexpr int firstFigureColumn = 1;
constexpr int savedByColumn = firstFigureColumn + static_cast<int>(reg::visitFigureCount);
constexpr int dietitianColumn = savedByColumn + 1;

bool showsText(int role) { return role == Qt::DisplayRole || role == Qt::AccessibleTextRole; }

} // namespace

void ClientListModel::setClients(QList<reg::ClientRow> clients)
{
    beginResetModel();
    clients_ = std::move(clients);
    endResetModel();
}

const reg::ClientRow *ClientListModel::client(int row) const
{
    return row >= 0 && row < clients_.size() ? &clients_.at(row) : nullptr;
}

int ClientListModel::rowOf(qint64 clientId) const
{
    for (int row = 0; row < clients_.size(); ++row)
        if (clients_.at(row).id == clientId)
            return row;
    return -1;
}

int ClientListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(clients_.size());
}

int ClientListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 2; }

QVariant ClientListModel::data(const QModelIndex &index, int role) const
{
    const reg::ClientRow *row = client(index.row());
    if (row == nullptr || !showsText(role))
        return {};
    return index.column() == 0 ? row->name : row->lastVisit;
}

QVariant ClientListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || !showsText(role))
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == 0 ? QStringLiteral("Client") : QStringLiteral("Last visit");
}

void VisitListModel::setVisits(QList<reg::VisitRow> visits)
{
    beginResetModel();
    visits_ = std::move(visits);
    endResetModel();
}

const reg::VisitRow *VisitListModel::visit(int row) const
{
    return row >= 0 && row < visits_.size() ? &visits_.at(row) : nullptr;
}

int VisitListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(visits_.size());
}

int VisitListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : dietitianColumn + 1;
}

QVariant VisitListModel::data(const QModelIndex &index, int role) const
{
    const reg::VisitRow *row = visit(index.row());
    if (row == nullptr)
        return {};
    const bool words = index.column() == firstFigureColumn + static_cast<int>(reg::VisitFigure::BmiClass);
    if (role == Qt::TextAlignmentRole && index.column() >= firstFigureColumn && index.column() < savedByColumn &&
        !words)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (!showsText(role))
        return {};
    if (index.column() == dateColumn)
        return row->day;
    if (index.column() == savedByColumn)
        return row->savedBy;
    if (index.column() == dietitianColumn)
        return row->dietitian;
    return row->figures.at(static_cast<std::size_t>(index.column() - firstFigureColumn));
}

QVariant VisitListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    const bool whole = role == Qt::ToolTipRole || role == Qt::AccessibleTextRole;
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && !whole))
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == dateColumn)
        return QStringLiteral("Date");
    if (section == savedByColumn)
        return QStringLiteral("Saved by");
    if (section == dietitianColumn)
        return QStringLiteral("Dietitian");
    const Heading &heading = figureHeadings.at(static_cast<std::size_t>(section - firstFigureColumn));
    return QLatin1String(whole ? heading.whole : heading.shown);
}

} // namespace nutrovo::registerui
