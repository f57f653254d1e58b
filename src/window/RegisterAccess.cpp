#include "window/RegisterAccess.h"

#include "registerui/RegisterCommands.h"
#include "window/WindowCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMessageBox>

#include <memory>

namespace nutrovo::ui {

namespace {

// Where the register's library is: beside the installed program
// (NUTROVO_REGISTER_LIBRARY is relative to the program's folder), or, for a
// program run inside the build tree, where the build made it. A program
// outside the build tree never looks there.
QStringList registerLibraryPlaces()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    QStringList places = {QDir(programFolder).filePath(QStringLiteral(NUTROVO_REGISTER_LIBRARY))};
    const QString buildTree = QFileInfo(QStringLiteral(NUTROVO_BUILD_TREE)).canonicalFilePath();
    const QString runningIn = QFileInfo(programFolder).canonicalFilePath();
    if (!buildTree.isEmpty() && (runningIn == buildTree || runningIn.startsWith(buildTree + u'/')))
        places.append(QStringLiteral(NUTROVO_REGISTER_LIBRARY_BUILT));
    return places;
}

class RegisterAccess final : public QObject, public registerui::Consultation {
public:
    RegisterAccess(QWidget &window, ConsultationAccess access)
        : QObject(&window), window_(window), access_(std::move(access))
    {
        addCommandSeparator(window);
        addWindowCommand(window, "saveVisitAction", QStringLiteral("Save Visit"), QKeySequence(Qt::CTRL | Qt::Key_S),
                         [this] { run(&registerui::RegisterCommands::saveVisit); });
        addWindowCommand(window, "openRegisterAction", QStringLiteral("Clients and Visits…"),
                         QKeySequence(Qt::CTRL | Qt::Key_O), [this] { run(&registerui::RegisterCommands::openRegister); });
        addWindowCommand(window, "registerSettingsAction", QStringLiteral("Register…"), QKeySequence(),
                         [this] { run(&registerui::RegisterCommands::chooseRegister); });
    }
    ~RegisterAccess() override = default;
    RegisterAccess(const RegisterAccess &) = delete;
    RegisterAccess &operator=(const RegisterAccess &) = delete;

    QWidget &window() override { return window_; }
    visits::Visit shown() const override { return access_.shown(); }
    void pick(const visits::Visit &visit) override { access_.pick(visit); }
    void askForClientName() override { access_.askForClientName(); }
    bool mayReplaceNote() override { return access_.mayReplaceNote(); }
    void saved(const visits::Visit &visit) override { access_.saved(visit); }

private:
    void run(void (registerui::RegisterCommands::*command)())
    {
        if (registerui::RegisterCommands *commands = loaded())
            (commands->*command)();
    }

    // Loaded once and kept for the program's life: its code runs until the end.
    registerui::RegisterCommands *loaded()
    {
        if (commands_)
            return commands_.get();
        QStringList failures;
        for (const QString &place : registerLibraryPlaces()) {
            QLibrary library(place);
            const auto make = reinterpret_cast<registerui::MakeRegisterCommands>(
                library.resolve(registerui::makeRegisterCommandsName));
            if (make != nullptr) {
                commands_.reset(make(*this));
                return commands_.get();
            }
            failures.append(library.errorString());
        }
        QMessageBox box(QMessageBox::NoIcon, window_.windowTitle(),
                        QStringLiteral("The register can't be used: its part of the program can't be loaded "
                                       "(%1). The calculator works on without it.")
                            .arg(failures.join(QStringLiteral("; "))),
                        QMessageBox::Ok, &window_);
        box.exec();
        return nullptr;
    }

    QWidget &window_;
    ConsultationAccess access_;
    std::unique_ptr<registerui::RegisterCommands> commands_;
};

} // namespace

void addRegisterCommands(QWidget &window, ConsultationAccess access)
{
    new RegisterAccess(window, std::move(access));
}

} // namespace nutrovo::ui
