#include "window/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

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

} // namespace

QFont layoutFont(const layout::Font &wanted)
{
    const QStringList families = familiesFor(wanted.family);
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(wanted.family == layout::Family::Serif ? QFont::Serif : QFont::SansSerif);
    font.setPointSizeF(wanted.points);
    font.setBold(wanted.bold);
    font.setItalic(wanted.italic);
    static const bool originalSansPresent = QFontDatabase::hasFamily(familiesFor(layout::Family::Sans).first());
    if (wanted.family == layout::Family::Sans && !originalSansPresent)
        font.setStretch(sansStandInStretch);
    return font;
}


} // namespace nutrovo::ui
