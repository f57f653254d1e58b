// What a user sees of each message box that appears while a watcher lives;
// each one is answered as the user would: with its OK button (or the answer
// given, such as Yes), and a question for text with the text given.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
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

    explicit MessageWatcher(int intervalMs = 10, QMessageBox::StandardButton answer = QMessageBox::Ok,
                            QString typed = {})
        : answer_(answer), typed_(std::move(typed))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
        timer_.start(intervalMs);
    }

    const QList<Seen> &seen() const { return seen_; }

    QStringList texts() const
    {
        QStringList texts;
        for (const Seen &message : seen_)
            texts.append(message.text);
        return texts;
    }

private:
    void look()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *question = qobject_cast<QInputDialog *>(modal); question && question->isVisible()) {
            seen_.append({question->windowTitle(), question->labelText(), QMessageBox::Question, {}, 2});
            question->setTextValue(typed_);
            typed_.isNull() ? question->reject() : question->accept();
            return;
        }
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box || !box->isVisible())
            return;
        seen_.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                      box->buttons().size()});
        if (QAbstractButton *answer = box->button(answer_))
            answer->click();
        else if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject(); // never leave the test waiting on a box
    }

    QMessageBox::StandardButton answer_;
    QString typed_;
    QTimer timer_;
    QList<Seen> seen_;
};

} // namespace nutrovo::test
