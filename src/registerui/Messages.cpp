#include "registerui/Messages.h"

#include <QAccessible>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace nutrovo::registerui {

namespace {

constexpr int noticeShownMs = 4000;

// The program's title: the consultation window's, over whichever dialog.
QString programTitle(QWidget *over)
{
    QWidget *top = over;
    while (top->parentWidget() != nullptr)
        top = top->parentWidget();
    return top->windowTitle();
}

} // namespace

void tell(QWidget *over, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, programTitle(over), text, QMessageBox::Ok, over);
    box.exec();
}

bool confirm(QWidget *over, const QString &question)
{
    QMessageBox box(QMessageBox::Question, programTitle(over), question, QMessageBox::Yes | QMessageBox::No,
                    over);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void notify(QWidget &near, const QString &text)
{
    // A window of its own, not one of the window's controls; one at a time.
    static QPointer<QLabel> shown;
    delete shown.data();
    auto *notice = new QLabel(text);
    shown = notice;
    notice->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->setAttribute(Qt::WA_ShowWithoutActivating);
    notice->setObjectName(QStringLiteral("registerNotice"));
    notice->setAccessibleName(text);
    notice->setMargin(8);
    notice->setStyleSheet(QStringLiteral("QLabel { background: #fffbe6; color: black; border: 1px solid #b0a060; }"));
    notice->adjustSize();
    const QWidget *window = near.window();
    const QPoint bottomCentre = window->mapToGlobal(QPoint(window->width() / 2, window->height()));
    notice->move(bottomCentre - QPoint(notice->width() / 2, notice->height() + 12));
    notice->show();
    QAccessibleEvent announced(notice, QAccessible::Alert);
    QAccessible::updateAccessibility(&announced);
    QTimer::singleShot(noticeShownMs, notice, &QWidget::close);
}

} // namespace nutrovo::registerui
