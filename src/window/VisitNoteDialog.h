// The visit's note beside the window: a dialog of its own that stays open
// while the dietitian goes on working in the window, with a button that puts
// the ADIME headings in at the caret. The text lives in a VisitNote; the
// editor only shows it and hands each change over.
#pragma once

#include "visits/VisitNote.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;

namespace nutrovo::ui {

// Each heading on a line of its own, in the order of the note's sections.
QString adimeHeadings();

class VisitNoteDialog final : public QDialog {
public:
    VisitNoteDialog(QWidget &window, visits::VisitNote &note);

    // After the note was replaced outside the editor (a reset, a visit opened).
    void showNote();
    void placeBesideWindow();

private:
    void takeEdit();
    void insertHeadings();

    visits::VisitNote &note_;
    QPlainTextEdit *edit_ = nullptr;
    QLabel *refused_ = nullptr;
};

} // namespace nutrovo::ui
