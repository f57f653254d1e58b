#include "window/WindowBuilder.h"

#include "window/Fonts.h"
#include "window/PictureBox.h"
#include "window/QtText.h"
#include "window/WindowLayout.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <ranges>
#include <utility>
#include <vector>

namespace nutrovo::ui {

using layout::Align;
using layout::Control;
using layout::Kind;

namespace {

int px(int twips) { return twips / layout::twipsPerPixel; }

// One font object per distinct look, shared by every control of that look.
class FontBook {
public:
    const QFont &fontFor(const layout::Font &wanted)
    {
        const auto same = [&](const Entry &entry) {
            const layout::Font &f = entry.first;
            return f.family == wanted.family && f.points == wanted.points &&
                   f.bold == wanted.bold && f.italic == wanted.italic;
        };
        if (const auto found = std::ranges::find_if(made_, same); found != made_.end())
            return found->second;
        return made_.emplace_back(wanted, layoutFont(wanted)).second;
    }

private:
    using Entry = std::pair<layout::Font, QFont>;
    std::vector<Entry> made_;
};

Qt::Alignment alignmentFor(Align align)
{
    switch (align) {
    case Align::Center:
        return Qt::AlignHCenter;
    case Align::Right:
        return Qt::AlignRight;
    case Align::Left:
        break;
    }
    return Qt::AlignLeft;
}

bool hasWhiteDefault(Kind kind)
{
    return kind == Kind::Label || kind == Kind::RowFrame || kind == Kind::Frame ||
           kind == Kind::Panel || kind == Kind::FixedText;
}

QColor resolve(layout::Colour colour, const QPalette &system, QPalette::ColorRole fallback)
{
    switch (colour) {
    case layout::KindDefault:
        return system.color(fallback);
    case layout::SystemWindow:
        return system.color(QPalette::Base);
    case layout::SystemHighlightText:
        return system.color(QPalette::HighlightedText);
    default:
        return QColor::fromRgb(colour);
    }
}

// Background and text colours; labels and frames default to white with the
// system's button-text colour, the rest to the system colours. Each kind of
// widget paints from its own palette roles (a button's background is Button,
// a text field's Base), so the roles are the widget's own.
void applyColours(QWidget &widget, const Control &c)
{
    const QPalette system = widget.palette();
    QPalette palette = system;
    const QPalette::ColorRole backRole = widget.backgroundRole();
    const QPalette::ColorRole textRole = widget.foregroundRole();

    QColor back = resolve(c.look.background, system, backRole);
    if (c.look.background == layout::KindDefault && hasWhiteDefault(c.kind))
        back = Qt::white;
    QColor text = resolve(c.look.text, system, textRole);
    if (c.look.text == layout::KindDefault && hasWhiteDefault(c.kind))
        text = system.color(QPalette::ButtonText);
    if (c.look.text == layout::SystemWindow)
        text = system.color(QPalette::Text);

    palette.setColor(backRole, back);
    palette.setColor(textRole, text);
    palette.setColor(QPalette::Window, back); // what a frame's children inherit
    widget.setPalette(palette);
    const bool paintsOwnBackground = c.kind == Kind::TextField || c.kind == Kind::DropDown ||
                                     c.kind == Kind::PushButton;
    widget.setAutoFillBackground(!paintsOwnBackground);
}

QWidget *createLabel(const Control &c, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(alignmentFor(c.look.align) | Qt::AlignTop);
    return label;
}

// A display field's design text never shows: the window writes every display
// field before it is constructed, and a text laid out only to be replaced
// costs as much as the one that replaces it.
QWidget *createTextField(const Control &c, const QString &text, QWidget *parent)
{
    auto *field = c.kind == Kind::FixedText ? new QLineEdit(text, parent) : new QLineEdit(parent);
    field->setAlignment(alignmentFor(c.look.align) | Qt::AlignVCenter);
    if (c.kind == Kind::FixedText) {
        // Design text for the life of the window: drawn like the labels beside it.
        field->setReadOnly(true);
        field->setFrame(false);
        field->setFocusPolicy(Qt::NoFocus);
    }
    return field;
}

// Help pictures take the focus so that the formula can be held open from the
// keyboard too; the apple is decoration.
QWidget *createPicture(const Control &c, QWidget *parent)
{
    if (c.look.image == layout::Image::Apple) {
        auto *apple = new PictureBox(QStringLiteral(":/nutrovo/apple"), QSize(29, 33), parent);
        apple->setFocusPolicy(Qt::NoFocus);
        return apple;
    }
    auto *help = new PictureBox(QStringLiteral(":/nutrovo/help"), QSize(20, 20), parent);
    help->setFocusPolicy(Qt::StrongFocus);
    return help;
}

QWidget *createFrame(const Control &c, const QString &text, QWidget *parent)
{
    if (c.kind == Kind::RowFrame) {
        auto *frame = new QFrame(parent);
        frame->setFrameShape(QFrame::NoFrame);
        return frame;
    }
    auto *box = new QGroupBox(text, parent);
    box->setFlat(c.look.flat);
    if (c.kind == Kind::Panel)
        box->hide();
    return box;
}

QWidget *createWidget(const Control &c, const QString &text, QWidget *parent)
{
    switch (c.kind) {
    case Kind::Label:
        return createLabel(c, text, parent);
    case Kind::TextField:
    case Kind::FixedText:
        return createTextField(c, text, parent);
    case Kind::RowFrame:
    case Kind::Frame:
    case Kind::Panel:
        return createFrame(c, text, parent);
    case Kind::OptionButton:
        return new QRadioButton(parent);
    case Kind::DropDown: {
        auto *combo = new QComboBox(parent);
        combo->setEditable(false);
        return combo;
    }
    case Kind::Picture:
        return createPicture(c, parent);
    case Kind::PushButton:
        return new QPushButton(text, parent);
    }
    return nullptr;
}

void place(QWidget &widget, const Control &c, int memberIndex)
{
    const int left = c.left + c.pitch * memberIndex;
    widget.setGeometry(px(left), px(c.top), px(c.width), px(c.height));
}

// Labels lie under everything, a later label over an earlier one; panels
// over everything.
void applyStacking(const BuiltWindow &built)
{
    for (const Control &c : std::views::reverse(layout::windowControls())) {
        if (c.kind != Kind::Label)
            continue;
        const int members = c.count > 0 ? c.count : 1;
        for (int i = 0; i < members; ++i) {
            const QString name = c.count > 0 ? memberName(qs(c.name), i) : qs(c.name);
            built.controls.value(name)->lower();
        }
    }
    for (const Control &c : layout::windowControls())
        if (c.kind == Kind::Panel)
            built.controls.value(qs(c.name))->raise();
}

QList<QWidget *> focusStops(const BuiltWindow &built)
{
    QList<QWidget *> stops;
    for (std::string_view name : layout::tabOrder()) {
        const QString key = qs(name);
        if (QButtonGroup *group = built.groups.value(key)) {
            for (QAbstractButton *button : group->buttons())
                stops.append(button);
        } else if (QWidget *widget = built.controls.value(key);
                   widget && widget->focusPolicy() != Qt::NoFocus) {
            stops.append(widget);
        }
    }
    return stops;
}

void applyTabOrder(const BuiltWindow &built)
{
    const QList<QWidget *> stops = focusStops(built);
    for (qsizetype i = 1; i < stops.size(); ++i)
        QWidget::setTabOrder(stops[i - 1], stops[i]);
    for (QButtonGroup *group : built.groups)
        keepOneTabStop(*group);
}

} // namespace

QString memberName(QStringView arrayName, int index)
{
    return arrayName.toString() + u'(' + QString::number(index) + u')';
}

void keepOneTabStop(QButtonGroup &group)
{
    const QList<QAbstractButton *> buttons = group.buttons();
    QAbstractButton *stop = group.checkedButton();
    if (!stop && !buttons.isEmpty())
        stop = buttons.constFirst();
    for (QAbstractButton *button : buttons)
        button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

BuiltWindow buildWindow(QWidget &window)
{
    BuiltWindow built;
    FontBook fonts;
    // A control takes its container's font when it is made: set only where
    // the look differs, each change re-lays out the control's text.
    window.setFont(fonts.fontFor(layout::Font{}));
    for (const Control &c : layout::windowControls()) {
        // The table names every parent before its children (tst_layout).
        QWidget *parent = c.parent.empty() ? &window : built.controls.value(qs(c.parent));
        const int members = c.count > 0 ? c.count : 1;
        QButtonGroup *group = nullptr;
        if (c.kind == Kind::OptionButton) {
            group = new QButtonGroup(parent);
            group->setExclusive(true);
            built.groups.insert(qs(c.name), group);
        }
        for (int i = 0; i < members; ++i) {
            const QString name = c.count > 0 ? memberName(qs(c.name), i) : qs(c.name);
            const QString text = c.captionIsIndex ? u' ' + QString::number(i) : qs(c.text);
            QWidget *widget = createWidget(c, text, parent);
            widget->setObjectName(name);
            if (const QFont &font = fonts.fontFor(c.look.font); widget->font() != font)
                widget->setFont(font);
            applyColours(*widget, c);
            place(*widget, c, i);
            if (!c.toolTip.empty())
                widget->setToolTip(qs(c.toolTip));
            if (group)
                group->addButton(static_cast<QAbstractButton *>(widget), i);
            built.controls.insert(name, widget);
        }
    }
    applyStacking(built);
    applyTabOrder(built);
    return built;
}

} // namespace nutrovo::ui
