#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace levyc {

class PictureBox;

// Asks for a view as text, either of Copy View's lines, typed or pasted, and
// shows it on the picture. Text that is no view stays in the dialog, with the
// reason under it.
class GoToViewDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GoToViewDialog)

public:
    GoToViewDialog(PictureBox *picture, QWidget *parent);
    ~GoToViewDialog() override = default;

    // Opens one over `parent`, window-modal and gone once closed; raises the
    // one that is open already.
    static void Open(PictureBox *picture, QWidget *parent);

    void accept() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void Retranslate();

    PictureBox *picture_;
    QLabel *prompt_;
    QLineEdit *text_;
    QLabel *error_;
};

} // namespace levyc
