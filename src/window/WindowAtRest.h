// The window as it looks with nobody touching it, for the page that prints
// or saves it: no focus frame, caret or selection, no hover highlight or
// pressed button, no open list and no formula panel held open. Everything is
// put back when the object goes, before the screen is next painted, so the
// window looks the same before and after.
#pragma once

#include <QList>
#include <QPointer>

class QLineEdit;
class QWidget;

namespace nutrovo::ui {

class WindowAtRest {
public:
    explicit WindowAtRest(QWidget &window);
    ~WindowAtRest();
    WindowAtRest(const WindowAtRest &) = delete;
    WindowAtRest &operator=(const WindowAtRest &) = delete;

private:
    struct Selection {
        QPointer<QLineEdit> field;
        int start = 0;
        int length = 0;
        bool cursorAtStart = false;
    };

    void closeOpenLists();
    void clearSelections();
    void takeFocus();
    void clearPointerStates();
    void hidePanels();

    QWidget &window_;
    QList<QPointer<QWidget>> openLists_;
    QList<Selection> selections_;
    QPointer<QWidget> focus_;
    QList<QPointer<QWidget>> hovered_;
    QList<QPointer<QWidget>> pressed_;
    QList<QPointer<QWidget>> panels_;
};

} // namespace nutrovo::ui
