#include "window/MainWindow.h"

#include "window/PlannerForm.h"
#include "window/QtText.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

#include <algorithm>
#include <array>
#include <string_view>

namespace nutrovo {

namespace {

struct MenuEntry {
    std::string_view menu;   // its title, the letter after & opening it with Alt
    std::string_view action; // the form's action by object name; empty for a line
};

// clang-format off
// Each menu's entries in order. A command the form does not have (yet) is
// left out, and a menu left with nothing is not shown.
constexpr std::array menuEntries = {
    MenuEntry{"&File", "saveVisitAction"},
    MenuEntry{"&File", ""},
    MenuEntry{"&File", "savePdfAction"},
    MenuEntry{"&File", "printAction"},
    MenuEntry{"&File", "copyTextAction"},
    MenuEntry{"&File", ""},
    MenuEntry{"&File", "resetAction"},
    MenuEntry{"&File", ""},
    MenuEntry{"&File", "quitAction"},
    MenuEntry{"&Clients", "openRegisterAction"},
    MenuEntry{"&Clients", "visitNoteAction"},
    MenuEntry{"&Clients", ""},
    MenuEntry{"&Clients", "registerSettingsAction"},
    MenuEntry{"&Settings", "preferencesAction"},
    MenuEntry{"&Help", "shortcutsAction"},
    MenuEntry{"&Help", "aboutAction"},
};
// clang-format on

} // namespace

MainWindow::MainWindow(QWidget *parent) : MainWindow(std::make_unique<PlannerForm>(), parent) {}

MainWindow::MainWindow(std::unique_ptr<PlannerForm> form, QWidget *parent)
    : QMainWindow(parent), form_(form.release())
{
    setObjectName(QStringLiteral("mainWindow"));
    // The bar stays in the window on every desktop: a desktop's global menu
    // is found only by asking the session bus, a round trip and a thread of
    // its own at start-up.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    setWindowTitle(form_->windowTitle());
    setWindowIcon(form_->windowIcon());
    const QSize designed = form_->size();
    setCentralWidget(form_);
    buildMenus();
    resize(designed.width(), designed.height() + menuBar()->sizeHint().height());
    // As in other desktop programs: F10 opens the first menu, the arrows go on from there.
    auto *toMenuBar = new QShortcut(QKeySequence(Qt::Key_F10), this);
    toMenuBar->setWhatsThis(QStringLiteral("Open the menu bar"));
    connect(toMenuBar, &QShortcut::activated, this,
            [this] { menuBar()->setActiveAction(menuBar()->actions().constFirst()); });
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    QMenu *menu = nullptr;
    for (const MenuEntry &entry : menuEntries) {
        if (menu == nullptr || menu->title() != ui::qs(entry.menu))
            menu = menuBar()->addMenu(ui::qs(entry.menu));
        if (entry.action.empty())
            menu->addSeparator(); // the menu drops a line with nothing on one side
        else if (auto *action = form_->findChild<QAction *>(ui::qs(entry.action), Qt::FindDirectChildrenOnly))
            menu->addAction(action);
    }
    for (QAction *title : menuBar()->actions()) {
        const QList<QAction *> entries = title->menu()->actions();
        title->setVisible(std::ranges::any_of(entries, [](const QAction *entry) { return !entry->isSeparator(); }));
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (form_->close())
        event->accept();
    else
        event->ignore();
}

} // namespace nutrovo
