// The program's window: the consultation form under a menu bar that shows
// the form's own commands, each with its shortcut. The form is unchanged by
// it: every control keeps its place within the form, and the printed and
// saved page show the form alone.
#pragma once

#include <QMainWindow>

#include <memory>

namespace nutrovo {

class PlannerForm;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Around a form on the platform's printer.
    explicit MainWindow(QWidget *parent = nullptr);
    explicit MainWindow(std::unique_ptr<PlannerForm> form, QWidget *parent = nullptr);
    ~MainWindow() override;
    MainWindow(const MainWindow &) = delete;
    MainWindow &operator=(const MainWindow &) = delete;

    PlannerForm &form() const { return *form_; }

protected:
    // The form decides: a note typed since the last save is asked about.
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();

    PlannerForm *form_;
};

} // namespace nutrovo
