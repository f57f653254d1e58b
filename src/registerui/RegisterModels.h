// The register's lists as item models: the clients found, and one client's
// visits with the figures the window showed.
#pragma once

#include "register/RegisterStore.h"

#include <QAbstractTableModel>
#include <QList>

namespace nutrovo::registerui {

class ClientListModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setClients(QList<reg::ClientRow> clients);
    const reg::ClientRow *client(int row) const;
    int rowOf(qint64 clientId) const; // -1 when not listed

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<reg::ClientRow> clients_;
};

class VisitListModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setVisits(QList<reg::VisitRow> visits);
    const QList<reg::VisitRow> &visits() const { return visits_; }
    const reg::VisitRow *visit(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<reg::VisitRow> visits_;
};

} // namespace nutrovo::registerui
