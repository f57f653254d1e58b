#include "print/PrintSpooler.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cups/cups.h>
#include <cups/pwg.h>

namespace nutrovo::print {

namespace {

// The spooler is local: it answers in milliseconds when it is there at all.
constexpr int connectTimeoutMs = 3000;
// Longest wait for any one answer, measured from the last sign of life: a
// spooler that is there answers in milliseconds; one that has hung would
// otherwise freeze the window for good.
constexpr double answerTimeoutSeconds = 5.0;
constexpr qsizetype writeChunk = qsizetype{64} * 1024;

// libcups asks this whether to keep waiting after each time-out; never.
int stopWaiting(http_t *, void *)
{
    return 0;
}

QString withCupsError(const QString &what)
{
    return what + QStringLiteral(" (") + QString::fromUtf8(cupsLastErrorString()) + u')';
}

bool failed(ipp_status_t status)
{
    return status > IPP_STATUS_OK_CONFLICTING;
}

struct DestinationFree {
    void operator()(cups_dest_t *dest) const { cupsFreeDests(1, dest); }
};
using DestinationPtr = std::unique_ptr<cups_dest_t, DestinationFree>;

const char *option(const cups_dest_t &dest, const char *name)
{
    return cupsGetOption(name, dest.num_options, dest.options);
}

// A paper size by whichever naming the spooler used for it.
QSizeF mediaMillimetres(const char *media)
{
    if (media == nullptr || *media == '\0')
        return {};
    const pwg_media_t *size = pwgMediaForPWG(media);
    if (size == nullptr)
        size = pwgMediaForPPD(media);
    if (size == nullptr)
        size = pwgMediaForLegacy(media);
    if (size == nullptr || size->width <= 0 || size->length <= 0)
        return {};
    // PWG sizes are in hundredths of a millimetre.
    return QSizeF(size->width / 100.0, size->length / 100.0);
}

// The size in a media-col collection: {media-size={x-dimension y-dimension}}.
QSizeF mediaColMillimetres(ipp_attribute_t *mediaCol)
{
    ipp_t *col = mediaCol != nullptr ? ippGetCollection(mediaCol, 0) : nullptr;
    ipp_attribute_t *size =
        col != nullptr ? ippFindAttribute(col, "media-size", IPP_TAG_BEGIN_COLLECTION) : nullptr;
    ipp_t *dimensions = size != nullptr ? ippGetCollection(size, 0) : nullptr;
    if (dimensions == nullptr)
        return {};
    ipp_attribute_t *x = ippFindAttribute(dimensions, "x-dimension", IPP_TAG_INTEGER);
    ipp_attribute_t *y = ippFindAttribute(dimensions, "y-dimension", IPP_TAG_INTEGER);
    if (x == nullptr || y == nullptr || ippGetInteger(x, 0) <= 0 || ippGetInteger(y, 0) <= 0)
        return {};
    return QSizeF(ippGetInteger(x, 0) / 100.0, ippGetInteger(y, 0) / 100.0);
}

// The paper the destination prints on unless told otherwise: the user's own
// choice for it, else the printer's default. The printer's default size is
// read from media-col-default first: after a change of default paper the
// spooler may leave the media-default name blank. (cupsGetDestMediaDefault is
// no use here: without a user's choice it answers US Letter, whatever the
// printer.)
QSizeF defaultMediaMillimetres(http_t *http, cups_dest_t &dest)
{
    if (const char *chosen = option(dest, "media"))
        return mediaMillimetres(chosen);
    cups_dinfo_t *info = cupsCopyDestInfo(http, &dest);
    if (info == nullptr)
        return {};
    QSizeF millimetres = mediaColMillimetres(cupsFindDestDefault(http, &dest, info, "media-col"));
    if (millimetres.isEmpty()) {
        ipp_attribute_t *media = cupsFindDestDefault(http, &dest, info, "media");
        millimetres =
            mediaMillimetres(media != nullptr ? ippGetString(media, 0, nullptr) : nullptr);
    }
    cupsFreeDestInfo(info);
    return millimetres;
}

QString readinessFailure(const cups_dest_t &dest)
{
    const char *state = option(dest, "printer-state");
    if (state == nullptr)
        return QStringLiteral("the default printer's state is unknown");
    if (std::strtol(state, nullptr, 10) == IPP_PSTATE_STOPPED)
        return QStringLiteral("the default printer is stopped");
    const char *accepting = option(dest, "printer-is-accepting-jobs");
    if (accepting == nullptr || std::strcmp(accepting, "true") != 0)
        return QStringLiteral("the default printer is not accepting jobs");
    return {};
}

} // namespace

struct Spooler::Connection {
    http_t *http = nullptr;

    // Connecting also makes libcups ignore SIGPIPE for the whole program, so
    // a spooler that hangs up in the middle of a document is a failed write
    // here, not the end of the program.
    Connection()
        : http(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                            connectTimeoutMs, nullptr))
    {
        if (http != nullptr)
            httpSetTimeout(http, answerTimeoutSeconds, stopWaiting, nullptr);
    }
    ~Connection()
    {
        if (http != nullptr)
            httpClose(http);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
};

Spooler::Spooler() : connection_(std::make_unique<Connection>()) {}

Spooler::~Spooler() = default;

DestinationCheck Spooler::checkDefaultDestination()
{
    http_t *http = connection_->http;
    if (http == nullptr)
        return {{}, QStringLiteral("the print spooler can't be reached")};
    const DestinationPtr dest(cupsGetNamedDest(http, nullptr, nullptr));
    if (!dest)
        return {{}, withCupsError(QStringLiteral("there is no default printer"))};
    if (QString failure = readinessFailure(*dest); !failure.isEmpty())
        return {{}, failure};
    return {{QString::fromUtf8(dest->name), defaultMediaMillimetres(http, *dest)}, {}};
}

Submission Spooler::submitPdf(const Destination &destination, const QString &title,
                              const QByteArray &pdf)
{
    http_t *http = connection_->http;
    if (http == nullptr)
        return {0, QStringLiteral("the print spooler can't be reached")};
    const QByteArray name = destination.name.toUtf8();
    const QByteArray jobTitle = title.toUtf8();

    const int jobId = cupsCreateJob(http, name.constData(), jobTitle.constData(), 0, nullptr);
    if (jobId <= 0)
        return {0, withCupsError(QStringLiteral("the spooler refused the job"))};

    bool sent = cupsStartDocument(http, name.constData(), jobId, jobTitle.constData(),
                                  CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE;
    for (qsizetype offset = 0; sent && offset < pdf.size(); offset += writeChunk) {
        const auto length = static_cast<std::size_t>(std::min(writeChunk, pdf.size() - offset));
        sent = cupsWriteRequestData(http, pdf.constData() + offset, length) == HTTP_STATUS_CONTINUE;
    }
    // Read the spooler's answer even after a failed write: it says why.
    const ipp_status_t status = cupsFinishDocument(http, name.constData());
    if (sent && !failed(status))
        return {jobId, {}};

    const QString failure = withCupsError(QStringLiteral("the spooler refused the document"));
    // A job without its document would wait in the queue for ever.
    cupsCancelJob2(http, name.constData(), jobId, 0);
    return {0, failure};
}

} // namespace nutrovo::print
