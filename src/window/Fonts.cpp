#include "window/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

#include <array>

namespace nutrovo::ui {

namespace {

// The original families first, then Debian's stand-ins for them.
QStringList familiesFor(layout::Family family)
{
    switch (family) {
    case layout::Family::Sans:
        return {"MS Sans Serif", "Liberation Sans", "DejaVu Sans"};
    case layout::Family::Serif:
        return {"MS Serif", "Liberation Serif", "DejaVu Serif"};
    case layout::Family::Comic:
        return {"Comic Sans MS", "Comic Neue", "DejaVu Sans"};
    }
    return {};
}

// The original sans face is a narrow one; its wider metric stand-in is
// condensed to the original's widths so that every caption and formula still
// fits on its line.
constexpr int sansStandInStretch = 92;

// The first of the family's faces that is installed, else the last named.
// Looked up once: a face that is not installed costs a search through every
// face for a substitute, again for each size and weight asked for.
QString installedFace(layout::Family family, const QStringList &installed)
{
    const QStringList faces = familiesFor(family);
    for (const QString &face : faces)
        if (installed.contains(face, Qt::CaseInsensitive))
            return face;
    return faces.last();
}

const QString &faceFor(layout::Family family)
{
    // From the list itself: asking for a face by name also asks the system
    // for what the name may stand for, at a cost for each name not installed.
    static const QStringList installed = QFontDatabase::families();
    static const std::array<QString, 3> faces = {installedFace(layout::Family::Sans, installed),
                                                 installedFace(layout::Family::Serif, installed),
                                                 installedFace(layout::Family::Comic, installed)};
    return faces.at(static_cast<std::size_t>(family));
}

} // namespace

QFont layoutFont(const layout::Font &wanted)
{
    QFont font;
    font.setFamily(faceFor(wanted.family));
    font.setStyleHint(wanted.family == layout::Family::Serif ? QFont::Serif : QFont::SansSerif);
    font.setPointSizeF(wanted.points);
    font.setBold(wanted.bold);
    font.setItalic(wanted.italic);
    const bool originalSans = faceFor(layout::Family::Sans) == familiesFor(layout::Family::Sans).first();
    // Set either way, so that a control never takes its container's stretch.
    const bool condensed = wanted.family == layout::Family::Sans && !originalSans;
    font.setStretch(condensed ? sansStandInStretch : QFont::AnyStretch);
    return font;
}

} // namespace nutrovo::ui
