// A client's visits as comma-separated values (RFC 4180): a heading row,
// then one row per visit with every stored field, UTF-8, CRLF line ends.
#pragma once

#include "register/RegisterStore.h"

#include <QByteArray>
#include <QList>

namespace nutrovo::reg {

QByteArray visitsCsv(const QList<StoredVisit> &visits);

} // namespace nutrovo::reg
