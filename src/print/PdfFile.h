// The printed page saved as a PDF file instead of sent to a printer: the same
// window image, dated footer and text layer, written so that the file is
// either complete or not there at all.
#pragma once

#include <QDateTime>
#include <QSizeF>
#include <QString>

class QWidget;

namespace nutrovo::print {

// The paper the default printer would use (printerPaper), when it names one;
// otherwise A4, or US Letter where the locale measures in US units. Saving
// never depends on a printer being there.
QSizeF savedPagePaperMillimetres(QSizeF printerPaper);

struct SaveOutcome {
    QString failure; // why the file was not written; empty when it was
    bool saved() const { return failure.isEmpty(); }
};

// Writes the page to path through a temporary file that replaces it only once
// complete; on failure nothing is left behind and an existing file is kept.
SaveOutcome saveWindowPdf(QWidget &window, const QString &path, QSizeF paperMillimetres,
                          const QString &title, const QDateTime &savedAt) noexcept;

} // namespace nutrovo::print
