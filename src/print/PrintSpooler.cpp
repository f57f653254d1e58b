#include "print/PrintSpooler.h"

#include "print/CupsLibrary.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

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

QString withCupsError(const CupsLibrary &cups, const QString &what)
{
    return what + QStringLiteral(" (") + QString::fromUtf8(cups.cupsLastErrorString()) + u')';
}

bool failed(ipp_status_t status)
{
    return status > IPP_STATUS_OK_CONFLICTING;
}

struct DestinationFree {
    const CupsLibrary *cups;
    void operator()(cups_dest_t *dest) const { cups->cupsFreeDests(1, dest); }
};
using DestinationPtr = std::unique_ptr<cups_dest_t, DestinationFree>;

const char *option(const CupsLibrary &cups, const cups_dest_t &dest, const char *name)
{
    return cups.cupsGetOption(name, dest.num_options, dest.options);
}

// A paper size by whichever naming the spooler used for it.
QSizeF mediaMillimetres(const CupsLibrary &cups, const char *media)
{
    if (media == nullptr || *media == '\0')
        return {};
    const pwg_media_t *size = cups.pwgMediaForPWG(media);
    if (size == nullptr)
        size = cups.pwgMediaForPPD(media);
    if (size == nullptr)
        size = cups.pwgMediaForLegacy(media);
    if (size == nullptr || size->width <= 0 || size->length <= 0)
        return {};
    // PWG sizes are in hundredths of a millimetre.
    return QSizeF(size->width / 100.0, size->length / 100.0);
}

// The size in a media-col collection: {media-size={x-dimension y-dimension}}.
QSizeF mediaColMillimetres(const CupsLibrary &cups, ipp_attribute_t *mediaCol)
{
    ipp_t *col = mediaCol != nullptr ? cups.ippGetCollection(mediaCol, 0) : nullptr;
    ipp_attribute_t *size =
        col != nullptr ? cups.ippFindAttribute(col, "media-size", IPP_TAG_BEGIN_COLLECTION) : nullptr;
    ipp_t *dimensions = size != nullptr ? cups.ippGetCollection(size, 0) : nullptr;
    if (dimensions == nullptr)
        return {};
    ipp_attribute_t *x = cups.ippFindAttribute(dimensions, "x-dimension", IPP_TAG_INTEGER);
    ipp_attribute_t *y = cups.ippFindAttribute(dimensions, "y-dimension", IPP_TAG_INTEGER);
    if (x == nullptr || y == nullptr || cups.ippGetInteger(x, 0) <= 0 || cups.ippGetInteger(y, 0) <= 0)
        return {};
    return QSizeF(cups.ippGetInteger(x, 0) / 100.0, cups.ippGetInteger(y, 0) / 100.0);
}

// The paper the destination prints on unless told otherwise: the user's own
// choice for it, else the printer's default. The printer's default size is
// read from media-col-default first: after a change of default paper the
// spooler may leave the media-default name blank. (cupsGetDestMediaDefault is
// no use here: without a user's choice it answers US Letter, whatever the
// printer.)
QSizeF defaultMediaMillimetres(const CupsLibrary &cups, http_t *http, cups_dest_t &dest)
{
    if (const char *chosen = option(cups, dest, "media"))
        return mediaMillimetres(cups, chosen);
    cups_dinfo_t *info = cups.cupsCopyDestInfo(http, &dest);
    if (info == nullptr)
        return {};
    QSizeF millimetres = mediaColMillimetres(cups, cups.cupsFindDestDefault(http, &dest, info, "media-col"));
    if (millimetres.isEmpty()) {
        ipp_attribute_t *media = cups.cupsFindDestDefault(http, &dest, info, "media");
        millimetres =
            mediaMillimetres(cups, media != nullptr ? cups.ippGetString(media, 0, nullptr) : nullptr);
    }
    cups.cupsFreeDestInfo(info);
    return millimetres;
}

QString readinessFailure(const CupsLibrary &cups, const cups_dest_t &dest)
{
    const char *state = option(cups, dest, "printer-state");
    if (state == nullptr)
        return QStringLiteral("the default printer's state is unknown");
    if (std::strtol(state, nullptr, 10) == IPP_PSTATE_STOPPED)
        return QStringLiteral("the default printer is stopped");
    const char *accepting = option(cups, dest, "printer-is-accepting-jobs");
    if (accepting == nullptr || std::strcmp(accepting, "true") != 0)
        return QStringLiteral("the default printer is not accepting jobs");
    return {};
}

} // namespace

struct Spooler::Connection {
    const CupsLibrary &cups;
    http_t *http = nullptr;

    // Connecting also makes libcups ignore SIGPIPE for the whole program, so
    // a spooler that hangs up in the middle of a document is a failed write
    // here, not the end of the program.
    explicit Connection(const CupsLibrary &library)
        : cups(library), http(cups.httpConnect2(cups.cupsServer(), cups.ippPort(), nullptr, AF_UNSPEC, cups.cupsEncryption(), 1,
                            connectTimeoutMs, nullptr))
    {
        if (http != nullptr)
            cups.httpSetTimeout(http, answerTimeoutSeconds, stopWaiting, nullptr);
    }
    ~Connection()
    {
        if (http != nullptr)
            cups.httpClose(http);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
};

Spooler::Spooler(const CupsLibrary &cups) : connection_(std::make_unique<Connection>(cups)) {}

Spooler::~Spooler() = default;

DestinationCheck Spooler::checkDefaultDestination()
{
    const CupsLibrary &cups = connection_->cups;
    http_t *http = connection_->http;
    if (http == nullptr)
        return {{}, QStringLiteral("the print spooler can't be reached")};
    const DestinationPtr dest(cups.cupsGetNamedDest(http, nullptr, nullptr), {&cups});
    if (!dest)
        return {{}, withCupsError(cups, QStringLiteral("there is no default printer"))};
    if (QString failure = readinessFailure(cups, *dest); !failure.isEmpty())
        return {{}, failure};
    return {{QString::fromUtf8(dest->name), defaultMediaMillimetres(cups, http, *dest)}, {}};
}

PrintOutcome Spooler::submitPdf(const Destination &destination, const QString &title,
                                const QByteArray &pdf)
{
    const CupsLibrary &cups = connection_->cups;
    http_t *http = connection_->http;
    if (http == nullptr)
        return {QStringLiteral("the print spooler can't be reached")};
    const QByteArray name = destination.name.toUtf8();
    const QByteArray jobTitle = title.toUtf8();

    const int jobId = cups.cupsCreateJob(http, name.constData(), jobTitle.constData(), 0, nullptr);
    if (jobId <= 0)
        return {withCupsError(cups, QStringLiteral("the spooler refused the job"))};

    bool sent = cups.cupsStartDocument(http, name.constData(), jobId, jobTitle.constData(),
                                  CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE;
    for (qsizetype offset = 0; sent && offset < pdf.size(); offset += writeChunk) {
        const auto length = static_cast<std::size_t>(std::min(writeChunk, pdf.size() - offset));
        sent = cups.cupsWriteRequestData(http, pdf.constData() + offset, length) == HTTP_STATUS_CONTINUE;
    }
    // Read the spooler's answer even after a failed write: it says why.
    const ipp_status_t status = cups.cupsFinishDocument(http, name.constData());
    if (sent && !failed(status))
        return {{}, jobId};

    const QString failure = withCupsError(cups, QStringLiteral("the spooler refused the document"));
    // A job without its document would wait in the queue for ever.
    cups.cupsCancelJob2(http, name.constData(), jobId, 0);
    return {failure};
}

} // namespace nutrovo::print
