#include "window/ProgramCommands.h"

#include "window/QtText.h"
#include "window/WindowCommand.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <array>
#include <string_view>

namespace nutrovo::ui {

namespace {

struct Credit {
    std::string_view data;
    std::string_view source;
};

// Every source of the figures the program carries, one entry each: the
// About box credits them from here.
constexpr std::array dataCredits = {
    Credit{"Energy equations", "Harris and Benedict (1919); Owen and colleagues (1986, 1987); "
                               "Mifflin, St Jeor and colleagues (1990); the WHO basal energy "
                               "equations (FAO/WHO/UNU, 1985)"},
    Credit{"BMI-for-age", "WHO Reference 2007 for 5-19 years, World Health Organization"},
};

QString commandText(const QAction &action) { return action.text().remove(u'&'); }

QString keysText(const QList<QKeySequence> &keys)
{
    return QKeySequence::listToString(keys, QKeySequence::NativeText);
}

// Made from the commands themselves, so that it can't drift from them: the
// window's actions, its other shortcuts (each says what it does in its
// What's This text), and the menu bar's menus by their underlined letters.
QList<QStringList> shortcutRows(const QWidget &window)
{
    QList<QStringList> rows;
    for (const QAction *action : window.findChildren<QAction *>(Qt::FindDirectChildrenOnly))
        if (!action->shortcuts().isEmpty())
            rows.append({commandText(*action), keysText(action->shortcuts())});
    const QWidget &top = *window.window();
    for (const QShortcut *shortcut : top.findChildren<QShortcut *>())
        if (!shortcut->whatsThis().isEmpty())
            rows.append({shortcut->whatsThis(), keysText(shortcut->keys())});
    if (const auto *bar = top.findChild<QMenuBar *>())
        for (const QAction *menu : bar->actions())
            if (menu->isVisible())
                rows.append({QStringLiteral("%1 menu").arg(commandText(*menu)),
                             QKeySequence::mnemonic(menu->text()).toString(QKeySequence::NativeText)});
    return rows;
}

QDialog *newDialog(QWidget &window, const char *name, const QString &title)
{
    auto *dialog = new QDialog(&window);
    dialog->setObjectName(QLatin1String(name));
    dialog->setWindowTitle(title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(dialog);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return dialog;
}

// Above the dialog's Close button.
void addToDialog(QDialog &dialog, QWidget *content)
{
    auto *layout = static_cast<QVBoxLayout *>(dialog.layout());
    layout->insertWidget(layout->count() - 1, content);
}

QDialog *newShortcutsDialog(QWidget &window)
{
    QDialog *dialog = newDialog(window, "shortcutsDialog", QStringLiteral("Keyboard Shortcuts"));
    auto *list = new QTreeWidget(dialog);
    list->setObjectName(QStringLiteral("shortcutList"));
    list->setAccessibleName(QStringLiteral("Keyboard shortcuts"));
    list->setHeaderLabels({QStringLiteral("Command"), QStringLiteral("Keys")});
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    for (const QStringList &row : shortcutRows(window))
        list->addTopLevelItem(new QTreeWidgetItem(row));
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list->setMinimumSize(420, 320);
    addToDialog(*dialog, list);
    return dialog;
}

// The version, what the program is for, its licence, the toolkit's version
// and the sources of the data it carries.
QString aboutText()
{
    QStringList credits;
    for (const Credit &credit : dataCredits)
        credits.append(QStringLiteral("%1: %2.").arg(qs(credit.data), qs(credit.source)));
    return QStringLiteral("Nutrovo %1\n%2.\n\nLicence: %3.\nQt %4.\n\nData:\n%5")
        .arg(QStringLiteral(NUTROVO_VERSION), QStringLiteral(NUTROVO_DESCRIPTION),
             QStringLiteral(NUTROVO_LICENSE), QString::fromLatin1(qVersion()), credits.join(u'\n'));
}

QDialog *newAboutDialog(QWidget &window)
{
    QDialog *dialog = newDialog(window, "aboutDialog", QStringLiteral("About Nutrovo"));
    auto *text = new QLabel(aboutText(), dialog);
    text->setObjectName(QStringLiteral("aboutText"));
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setMinimumWidth(420);
    addToDialog(*dialog, text);
    return dialog;
}

// One of each at a time: asked again, the open one comes to the front.
void showOnce(QPointer<QDialog> &shown, QDialog *(*make)(QWidget &), QWidget &window)
{
    if (!shown)
        shown = make(window);
    shown->show();
    shown->raise();
    shown->activateWindow();
}

class ProgramCommands : public QObject {
public:
    explicit ProgramCommands(QWidget &window) : QObject(&window), window_(window)
    {
        addMenuCommand(window, "quitAction", QStringLiteral("Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
                       [this] { window_.window()->close(); });
        addMenuCommand(window, "shortcutsAction", QStringLiteral("Keyboard Shortcuts"), QKeySequence(Qt::Key_F1),
                       [this] { showOnce(shortcuts_, newShortcutsDialog, window_); });
        addMenuCommand(window, "aboutAction", QStringLiteral("About Nutrovo"), QKeySequence(),
                       [this] { showOnce(about_, newAboutDialog, window_); });
    }

private:
    QWidget &window_;
    QPointer<QDialog> shortcuts_;
    QPointer<QDialog> about_;
};

} // namespace

void addProgramCommands(QWidget &window)
{
    new ProgramCommands(window);
}

} // namespace nutrovo::ui
