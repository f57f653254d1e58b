#include "print/PdfFile.h"

#include "print/PrintPage.h"

#include <QLocale>
#include <QPageSize>
#include <QSaveFile>
#include <exception>

namespace nutrovo::print {

namespace {

QSizeF localePaperMillimetres()
{
    const bool usUnits = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem;
    return QPageSize(usUnits ? QPageSize::Letter : QPageSize::A4).size(QPageSize::Millimeter);
}

SaveOutcome writeFile(QWidget &window, const QString &path, QSizeF paperMillimetres,
                      const QString &title, const QDateTime &savedAt)
{
    const QByteArray pdf =
        windowPagePdf(window, paperMillimetres, {PageDate::Made::Saved, savedAt}, title);
    if (pdf.isEmpty())
        return {QStringLiteral("the page could not be made")};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {file.errorString()};
    // A client's figures and note: this user's alone, whatever the umask.
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return {file.errorString()};
    if (file.write(pdf) != pdf.size())
        return {file.errorString()}; // the temporary file goes with the object
    if (!file.commit())
        return {file.errorString()};
    return {};
}

} // namespace

QSizeF savedPagePaperMillimetres(QSizeF printerPaper)
{
    return printerPaper.isEmpty() ? localePaperMillimetres() : printerPaper;
}

SaveOutcome saveWindowPdf(QWidget &window, const QString &path, QSizeF paperMillimetres,
                          const QString &title, const QDateTime &savedAt) noexcept
{
    try {
        return writeFile(window, path, paperMillimetres, title, savedAt);
    } catch (const std::exception &e) {
        return {QString::fromUtf8(e.what())};
    } catch (...) {
        return {QStringLiteral("unknown error")};
    }
}

} // namespace nutrovo::print
