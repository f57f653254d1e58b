// What a user sees of each message box that appears while a watcher lives;
// each one is closed with its OK button, as the user would.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace nutrovo::test {

class MessageWatcher {
public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        qsizetype buttonCount = 0;
    };

    explicit MessageWatcher(int intervalMs = 10)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
        timer_.start(intervalMs);
    }

    const QList<Seen> &seen() const { return seen_; }

private:
    void look()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        seen_.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                      box->buttons().size()});
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject(); // never leave the test waiting on a box
    }

    QTimer timer_;
    QList<Seen> seen_;
};

} // namespace nutrovo::test
