#include "window/SheetCommands.h"

#include "files/SuggestedFiles.h"
#include "print/PdfFile.h"
#include "window/SheetText.h"
#include "window/WindowAtRest.h"
#include "window/WindowCommand.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QShortcut>

#include <array>
#include <memory>

namespace nutrovo::ui {

namespace {

constexpr std::array helpTriggers = {"hbhelp",   "owenhelp", "mifhelp",
                                     "lasthelp", "whohelp",  "Label27"};

QString clientName(const QWidget &window)
{
    const auto *field = window.findChild<QLineEdit *>(QStringLiteral("Text2"));
    return field != nullptr ? field->text().simplified() : QString();
}

QString pdfTitle(const QString &client, const QDate &date)
{
    const QString day = date.toString(Qt::ISODate);
    return client.isEmpty() ? QStringLiteral("Consultation of %1").arg(day)
                            : QStringLiteral("%1, consultation of %2").arg(client, day);
}

class SheetCommands : public QObject {
public:
    SheetCommands(QWidget &window, SheetPrinting printing)
        : QObject(&window), window_(window), printing_(std::move(printing))
    {
        addWindowCommand(window, "printAction", QStringLiteral("Print Form"), QKeySequence(Qt::CTRL | Qt::Key_P),
                         [this] { printing_.print(); });
        addWindowCommand(window, "savePdfAction", QStringLiteral("Save as PDF…"),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] { askForPdfFile(); });
        addWindowCommand(window, "copyTextAction", QStringLiteral("Copy Sheet as Text"),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [this] { copyText(); });

        // Text fields add the commands under their own editing menu;
        // everything else asks the window (the pickers and fields are told
        // once they exist).
        window.setContextMenuPolicy(Qt::CustomContextMenu);
        connect(&window, &QWidget::customContextMenuRequested, this,
                [this](QPoint at) { showMenu(window_.mapToGlobal(at)); });
        window.installEventFilter(this);
        auto *menuKey = new QShortcut(&window);
        menuKey->setKeys({QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)});
        menuKey->setContext(Qt::WindowShortcut);
        menuKey->setWhatsThis(QStringLiteral("Menu of these commands"));
        connect(menuKey, &QShortcut::activated, this, [this] { showMenuAtFocus(); });
    }

protected:
    // The window is polished before it is first shown, with every control in place.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &window_ && event->type() == QEvent::Polish) {
            for (QComboBox *picker : window_.findChildren<QComboBox *>())
                picker->setContextMenuPolicy(Qt::NoContextMenu);
            for (QLineEdit *field : window_.findChildren<QLineEdit *>()) {
                field->setContextMenuPolicy(Qt::CustomContextMenu);
                connect(field, &QWidget::customContextMenuRequested, this, [this, field](QPoint at) {
                    showFieldMenu(*field, field->mapToGlobal(at));
                });
            }
            // A help trigger shows its panel while any button is held: a menu
            // there would take the release and leave the panel up.
            for (const char *trigger : helpTriggers)
                if (auto *widget = window_.findChild<QWidget *>(QLatin1String(trigger)))
                    widget->setContextMenuPolicy(Qt::PreventContextMenu);
            window_.removeEventFilter(this);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void showMenu(QPoint globalAt)
    {
        if (!menu_) {
            // A window of its own, not among the window's controls.
            menu_ = std::make_unique<QMenu>();
            menu_->addActions(window_.actions());
        }
        menu_->popup(globalAt);
    }

    // The field's own editing menu, the commands below it.
    void showFieldMenu(QLineEdit &field, QPoint globalAt)
    {
        QMenu *menu = field.createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addSeparator();
        menu->addActions(window_.actions());
        menu->popup(globalAt);
    }

    // The menu a right-click on the focused control would give.
    void showMenuAtFocus()
    {
        QWidget *focus = window_.focusWidget();
        if (focus == nullptr)
            focus = &window_;
        if (focus->contextMenuPolicy() == Qt::PreventContextMenu)
            return;
        if (auto *field = qobject_cast<QLineEdit *>(focus)) {
            const QRect caret = field->inputMethodQuery(Qt::ImCursorRectangle).toRect();
            showFieldMenu(*field, field->mapToGlobal(caret.center()));
        } else {
            showMenu(focus->mapToGlobal(focus->rect().center()));
        }
    }

    // Made when asked for only, and gone once answered: the dialog reads and
    // writes the toolkit's settings file, which a session that never saves
    // must leave alone, and its controls are no part of the window.
    void askForPdfFile()
    {
        if (dialog_)
            return; // already asking
        dialog_ = new QFileDialog(&window_, QStringLiteral("Save as PDF"));
        dialog_->setOption(QFileDialog::DontUseNativeDialog);
        dialog_->setAcceptMode(QFileDialog::AcceptSave);
        dialog_->setFileMode(QFileDialog::AnyFile);
        dialog_->setNameFilter(QStringLiteral("PDF documents (*.pdf)"));
        dialog_->setDefaultSuffix(QStringLiteral("pdf"));
        dialog_->setDirectory(QFileInfo(lastFolder_).isDir() ? lastFolder_ : files::documentsFolder());
        dialog_->selectFile(pdfFileName(clientName(window_), QDate::currentDate()));
        connect(dialog_, &QDialog::accepted, this,
                [this] { savePdf(dialog_->selectedFiles().value(0)); });
        // Out of the window at once, so that it no longer counts among the
        // window's controls; deleted once the dialog's own closing is done.
        connect(dialog_, &QDialog::finished, dialog_, [dialog = dialog_.data()] {
            dialog->setParent(nullptr, dialog->windowFlags());
            dialog->deleteLater();
        });
        dialog_->open();
    }

    void savePdf(const QString &path)
    {
        if (path.isEmpty())
            return;
        const QDateTime now = QDateTime::currentDateTime();
        const QSizeF paper = print::savedPagePaperMillimetres(printing_.paper());
        const print::SaveOutcome outcome = saveAtRest(path, paper, now);
        if (outcome.saved()) {
            lastFolder_ = QFileInfo(path).absolutePath();
            return;
        }
        QMessageBox box(QMessageBox::NoIcon, window_.windowTitle(),
                        QStringLiteral("The sheet can't be saved as %1: %2.")
                            .arg(QDir::toNativeSeparators(path), outcome.failure),
                        QMessageBox::Ok, &window_);
        box.exec();
    }

    print::SaveOutcome saveAtRest(const QString &path, QSizeF paper, const QDateTime &now)
    {
        const WindowAtRest atRest(window_);
        return print::saveWindowPdf(window_, path, paper,
                                    pdfTitle(clientName(window_), now.date()), now);
    }

    void copyText()
    {
        const SheetText text = sheetText(window_, QDate::currentDate());
        auto *data = new QMimeData;
        data->setText(text.plain);
        data->setHtml(text.html);
        QApplication::clipboard()->setMimeData(data);
    }

    QWidget &window_;
    SheetPrinting printing_;
    std::unique_ptr<QMenu> menu_;
    QPointer<QFileDialog> dialog_;
    QString lastFolder_;
};

} // namespace

QString pdfFileName(const QString &clientName, const QDate &date)
{
    return files::clientFilePart(clientName, QStringLiteral("consultation")) + u'-' +
           date.toString(Qt::ISODate) + QStringLiteral(".pdf");
}

void addSheetCommands(QWidget &window, SheetPrinting printing)
{
    new SheetCommands(window, std::move(printing));
}

} // namespace nutrovo::ui
